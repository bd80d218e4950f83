# Installs the build into a fresh prefix (a path with a space in it) and checks what a desktop and
# a packager need there, file by file: both programs, answering --version; the help text where
# the installed editor looks for it; a desktop entry that names the installed editor by its
# absolute path and that desktop-file-validate accepts; the MIME types, which must follow the
# shared MIME-info schema and be taken by update-mime-database; the icons at every size and the
# scalable one; the AppStream metadata, accepted by appstreamcli; the manual pages; the tool's
# bash completion; the copyright file and changelog; and nothing else. Then the installed tool
# makes a demo ROM image and the installed editor must start on it and keep running.
#
# cmake -DBUILD_DIR=... -DPREFIX=... -DSOURCE_DIR=... -DVERSION=... -DBINDIR=bin
#       -DDATADIR=share -DMANDIR=share/man -P InstallCheck.cmake

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/CheckHelpers.cmake)

file(REMOVE_RECURSE "${PREFIX}")
run_or_fail(output "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}")

installed_files("${PREFIX}/${BINDIR}" "${PREFIX}/${DATADIR}" "${PREFIX}/${MANDIR}" "${SOURCE_DIR}")
expect_exactly("${PREFIX}" "${expected}")

foreach(program "${editor}" "${tool}")
  get_filename_component(name "${program}" NAME)
  execute_process(COMMAND "${program}" --version RESULT_VARIABLE status OUTPUT_VARIABLE printed
                  ERROR_VARIABLE complaint)
  if(NOT status EQUAL 0 OR NOT printed STREQUAL "${name} ${VERSION}\n")
    fail("the installed ${name} --version printed \"${printed}${complaint}\", not "
         "\"${name} ${VERSION}\"")
  endif()
endforeach()

expect_same_file("${help}" "${SOURCE_DIR}/data/Morvane Sarnet Sprite Editor.txt")

# The entry starts the installed editor by its absolute path, quoted for the space in it.
check_desktop_entry("${desktop}" "\"${editor}\"" "${editor}")
check_installed_data("${PREFIX}/${DATADIR}" "${PREFIX}/${MANDIR}" "${VERSION}" "${PREFIX}-mime")

set(demo "${PREFIX}/demo image.gb")
run_or_fail(output "${tool}" demo "${demo}")

# Started on the demo image, the editor must still be running when the time is up.
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND "${editor}" "${demo}" TIMEOUT 3
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status MATCHES "timeout")
  fail("the installed editor ended by itself (${status}):\n${output}")
endif()
