# Runs at build time: writes a program's manual page from its own --help and --version with
# help2man, compressed as Debian keeps manual pages, so the page never drifts from the program.
#
# cmake -DHELP2MAN=... -DPROGRAM=/path/to/program -DNAME=program -DVERSION=1.2.3
#       -DINCLUDE=extra.h2m -DOUTPUT=program.1.gz -P ManPage.cmake

get_filename_component(folder "${PROGRAM}" DIRECTORY)
get_filename_component(file "${PROGRAM}" NAME)

# Both programs print "NAME VERSION" with the project's version; anything else is a fault the
# page would spread.
execute_process(COMMAND "./${file}" --version WORKING_DIRECTORY "${folder}"
                RESULT_VARIABLE status OUTPUT_VARIABLE printed ERROR_VARIABLE printed)
if(NOT status EQUAL 0 OR NOT printed STREQUAL "${NAME} ${VERSION}\n")
  message(FATAL_ERROR "${NAME} --version printed \"${printed}\" (exit status ${status}) instead of "
                      "\"${NAME} ${VERSION}\"; its manual page is not written.")
endif()

# help2man runs the program through the shell: from its own folder the command holds no path
# that the shell could split. The source, the package's name and version, stays short enough
# that man's footer at 80 columns keeps it apart from the date in the middle.
set(plain "${OUTPUT}.tmp")
execute_process(
  COMMAND "${HELP2MAN}" --no-info --section=1 "--manual=User Commands"
          "--source=morvane-sprite-editor ${VERSION}" "--include=${INCLUDE}"
          "--output=${plain}" "./${file}"
  WORKING_DIRECTORY "${folder}"
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  file(REMOVE "${plain}")
  message(FATAL_ERROR "help2man cannot write the manual page of ${NAME}:\n${output}")
endif()
execute_process(COMMAND gzip -9 -n -c "${plain}" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE status)
file(REMOVE "${plain}")
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "gzip cannot compress the manual page of ${NAME} into ${OUTPUT}")
endif()
