# Runs at install time, from the install rules of src/app: writes the desktop entry with the
# absolute path of the installed editor, so the desktop starts the editor whether or not its
# folder is on PATH, for whatever prefix the installation goes to (cmake --install --prefix, or
# CPack's /usr).
#
# Expects MORVANE_DESKTOP_TEMPLATE, MORVANE_DESKTOP_SCRATCH (the start of a scratch folder's path),
# MORVANE_BINDIR and MORVANE_DATADIR (as GNUInstallDirs gives them, relative to the prefix or
# absolute).

get_filename_component(morvane_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
foreach(kind BINDIR DATADIR)
  if(IS_ABSOLUTE "${MORVANE_${kind}}")
    set(morvane_${kind} "${MORVANE_${kind}}")
  else()
    set(morvane_${kind} "${morvane_prefix}/${MORVANE_${kind}}")
  endif()
endforeach()
set(morvane_program "${morvane_BINDIR}/morvane-sprite-editor")

if(morvane_program MATCHES "[\n\r\t]")
  message(FATAL_ERROR "The desktop entry cannot name the program \"${morvane_program}\": its "
                      "path holds a line break or a tab.")
endif()

# Exec quotes an argument that holds a reserved character, escaping ", `, $ and \ inside the
# quotes; "%" is doubled because Exec reads it as a field code. The whole value is then escaped
# as every desktop entry string is, a backslash becoming two.
set(morvane_exec "${morvane_program}")
if(morvane_exec MATCHES "[ \"'\\\\><~|&;$*?#()`]")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" morvane_exec "${morvane_exec}")
  set(morvane_exec "\"${morvane_exec}\"")
endif()
string(REPLACE "%" "%%" morvane_exec "${morvane_exec}")
string(REPLACE "\\" "\\\\" MORVANE_DESKTOP_EXEC "${morvane_exec}")
string(REPLACE "\\" "\\\\" MORVANE_DESKTOP_TRYEXEC "${morvane_program}")

# A folder of its own, so that two installations at once (cmake --install and cpack) never share
# the written entry, and removed whole, so an installation by root leaves no folder in the build
# folder that its owner could not write into.
string(RANDOM LENGTH 12 morvane_run)
set(morvane_scratch "${MORVANE_DESKTOP_SCRATCH}-${morvane_run}")
configure_file("${MORVANE_DESKTOP_TEMPLATE}" "${morvane_scratch}/morvane-sprite-editor.desktop"
               @ONLY)
file(INSTALL "${morvane_scratch}/morvane-sprite-editor.desktop"
     DESTINATION "${morvane_DATADIR}/applications")
file(REMOVE_RECURSE "${morvane_scratch}")
