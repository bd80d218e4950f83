# Checks shared by the installation and package checks: each names the file and what is wrong
# with it. The validators are those a desktop uses; scripts/install-deps.sh installs them.

set(MORVANE_CHECKS_DIR "${CMAKE_CURRENT_LIST_DIR}")

function(fail text)
  message(FATAL_ERROR "${text}")
endfunction()

function(require_program variable name package)
  find_program(${variable} ${name})
  if(NOT ${variable})
    fail("${name} is missing: install ${package} (scripts/install-deps.sh does)")
  endif()
endfunction()

# Runs a command that must succeed; its output (standard output and error) goes to `variable`.
function(run_or_fail variable)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    fail("${command} failed (${status}):\n${output}")
  endif()
  set(${variable} "${output}" PARENT_SCOPE)
endfunction()

# The files an installation holds under its `bin`, `share` and `man` folders, each in a variable
# of the caller (editor, tool, desktop, metainfo, mime, help, doc, and completion once the tool
# ships one in data/completion) and all of them in `expected`.
macro(installed_files bin share man source_dir)
  set(editor "${bin}/morvane-sprite-editor")
  set(tool "${bin}/morvane-sprite-tool")
  set(desktop "${share}/applications/morvane-sprite-editor.desktop")
  set(metainfo "${share}/metainfo/example.morvane_sarnet.sprite_editor.metainfo.xml")
  set(mime "${share}/mime/packages/morvane-sprite-editor-mime.xml")
  set(help "${share}/morvane-sprite-editor/Morvane Sarnet Sprite Editor.txt")
  set(doc "${share}/doc/morvane-sprite-editor")
  set(icon_sizes 16 32 48 64 128 256)
  set(expected "${editor}" "${tool}" "${desktop}" "${metainfo}" "${mime}" "${help}"
               "${doc}/copyright" "${doc}/changelog.gz"
               "${share}/icons/hicolor/scalable/apps/morvane-sprite-editor.svg"
               "${man}/man1/morvane-sprite-editor.1.gz" "${man}/man1/morvane-sprite-tool.1.gz")
  foreach(size ${icon_sizes})
    list(APPEND expected "${share}/icons/hicolor/${size}x${size}/apps/morvane-sprite-editor.png")
  endforeach()
  unset(completion)
  if(EXISTS "${source_dir}/data/completion/morvane-sprite-tool.bash")
    set(completion "${share}/bash-completion/completions/morvane-sprite-tool")
    list(APPEND expected "${completion}")
  endif()
endmacro()

# Everything of installed_files but the programs and the desktop entry: the metadata, MIME
# types, icons, manual pages, share/doc and the completion.
macro(check_installed_data share man version scratch)
  check_metainfo("${metainfo}" "${version}")
  check_mime_types("${mime}" "${scratch}")
  check_icons("${share}/icons/hicolor" "${icon_sizes}")
  check_man_page("${man}/man1/morvane-sprite-editor.1.gz" "MORVANE-SPRITE-EDITOR" "${version}")
  check_man_page("${man}/man1/morvane-sprite-tool.1.gz" "MORVANE-SPRITE-TOOL" "${version}")
  check_doc("${doc}" "${version}")
  if(DEFINED completion)
    run_or_fail(output bash -n "${completion}")
  endif()
endmacro()

# The files under `root` must be exactly `expected`: none missing, none stray.
function(expect_exactly root expected)
  file(GLOB_RECURSE present LIST_DIRECTORIES false "${root}/*")
  foreach(path ${expected})
    if(NOT path IN_LIST present)
      fail("not installed: ${path}")
    endif()
  endforeach()
  foreach(path ${present})
    if(NOT path IN_LIST expected)
      fail("installed but not expected: ${path}")
    endif()
  endforeach()
endfunction()

function(expect_same_file installed source)
  file(SHA256 "${installed}" installed_hash)
  file(SHA256 "${source}" source_hash)
  if(NOT installed_hash STREQUAL source_hash)
    fail("${installed} differs from ${source}")
  endif()
endfunction()

# `exec` is the Exec line's program as the entry must write it, `tryexec` the TryExec value.
function(check_desktop_entry desktop exec tryexec)
  file(STRINGS "${desktop}" entry)
  foreach(line "Type=Application" "Name=Morvane Sarnet Sprite Editor"
               "Exec=${exec} %f" "TryExec=${tryexec}" "Icon=morvane-sprite-editor"
               "MimeType=application/x-gameboy-rom;application/x-gameboy-color-rom;")
    if(NOT line IN_LIST entry)
      fail("the desktop entry ${desktop} lacks the line \"${line}\"; it has:\n${entry}")
    endif()
  endforeach()
  require_program(DESKTOP_FILE_VALIDATE desktop-file-validate desktop-file-utils)
  execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${desktop}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0 OR NOT output STREQUAL "")
    fail("desktop-file-validate does not accept ${desktop}:\n${output}")
  endif()
endfunction()

function(check_metainfo metainfo version)
  require_program(APPSTREAMCLI appstreamcli appstream)
  execute_process(COMMAND "${APPSTREAMCLI}" validate --no-net "${metainfo}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    fail("appstreamcli validate does not accept ${metainfo}:\n${output}")
  endif()
  file(READ "${metainfo}" text)
  set(date "[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]")
  if(NOT text MATCHES "<release version=\"${version}\" date=\"${date}\"")
    fail("${metainfo} does not give release ${version} with its date")
  endif()
endfunction()

# The installed MIME types hold only what the shared MIME-info database defines, and a database
# built from them in a scratch copy takes them without a complaint and maps both kinds of ROM
# image to their types.
function(check_mime_types types scratch)
  require_program(XMLLINT xmllint libxml2-utils)
  run_or_fail(output "${XMLLINT}" --noout --relaxng "${MORVANE_CHECKS_DIR}/shared-mime-info.rng"
              "${types}")
  require_program(UPDATE_MIME_DATABASE update-mime-database shared-mime-info)
  file(REMOVE_RECURSE "${scratch}")
  file(COPY "${types}" DESTINATION "${scratch}/mime/packages")
  # With the scratch folder among the data folders it searches, the database has nothing to say
  # but complaints.
  set(ENV{XDG_DATA_DIRS} "${scratch}")
  execute_process(COMMAND "${UPDATE_MIME_DATABASE}" "${scratch}/mime"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0 OR NOT output STREQUAL "")
    fail("update-mime-database does not take ${types}:\n${output}")
  endif()
  file(STRINGS "${scratch}/mime/globs" globs)
  foreach(glob "application/x-gameboy-rom:*.gb" "application/x-gameboy-color-rom:*.gbc")
    if(NOT glob IN_LIST globs)
      fail("the MIME database built from ${types} lacks \"${glob}\"")
    endif()
  endforeach()
endfunction()

# Every PNG is as large as its folder says (a PNG's IHDR holds width and height as 32-bit
# numbers from byte 16 on); the SVG is well-formed.
function(check_icons hicolor sizes)
  foreach(size ${sizes})
    set(icon "${hicolor}/${size}x${size}/apps/morvane-sprite-editor.png")
    file(READ "${icon}" head LIMIT 24 HEX)
    math(EXPR hex "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(REPLACE "0x" "" hex "${hex}")
    string(LENGTH "${hex}" length)
    math(EXPR padding "8 - ${length}")
    string(REPEAT "0" ${padding} zeros)
    set(dimension "${zeros}${hex}")
    if(NOT head MATCHES "^89504e470d0a1a0a0000000d49484452${dimension}${dimension}$")
      fail("${icon} is not a ${size} x ${size} PNG image (its first bytes are ${head})")
    endif()
  endforeach()
  require_program(XMLLINT xmllint libxml2-utils)
  run_or_fail(output "${XMLLINT}" --noout "${hicolor}/scalable/apps/morvane-sprite-editor.svg")
endfunction()

# A compressed manual page with its title and the project's version in its header line, laid
# out as man lays it out at 80 columns: its footer keeps the version apart from the date.
function(check_man_page page title version)
  run_or_fail(text gzip -dc "${page}")
  set(header "\n\\.TH ${title} \"1\" \"[^\"]*\" \"morvane-sprite-editor ${version}\"")
  if(NOT text MATCHES "${header}")
    fail("${page} is not the manual page ${title}(1) of version ${version}")
  endif()
  if(NOT text MATCHES "\n\\.SH DESCRIPTION\n")
    fail("${page} has no description: help2man found no --help text")
  endif()
  require_program(GROFF groff groff-base)
  get_filename_component(folder "${page}" DIRECTORY)
  execute_process(COMMAND gzip -dc "${page}"
                  COMMAND "${GROFF}" -man -Tascii -P-cbou -rLL=78n -rLT=78n
                  WORKING_DIRECTORY "${folder}" RESULT_VARIABLE status OUTPUT_VARIABLE shown
                  ERROR_VARIABLE complaint)
  string(REGEX MATCH "[^\n]+\n*$" footer "${shown}")
  if(NOT status EQUAL 0
     OR NOT footer MATCHES "^morvane-sprite-editor ${version} +[A-Z][a-z]+ [0-9]+ +${title}\\(1\\)")
    fail("${page} at 80 columns ends with the footer \"${footer}\" instead of the version, the "
         "date and the page's name apart (${status}): ${complaint}")
  endif()
endfunction()

# The copyright file and the compressed changelog, whose newest entry is this version.
function(check_doc doc version)
  file(STRINGS "${doc}/copyright" copyright LIMIT_COUNT 1)
  set(format "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
  if(NOT copyright STREQUAL format)
    fail("${doc}/copyright is not a machine-readable copyright file")
  endif()
  run_or_fail(changelog gzip -dc "${doc}/changelog.gz")
  if(NOT changelog MATCHES "^morvane-sprite-editor \\(${version}\\) ")
    fail("the newest entry of ${doc}/changelog.gz is not version ${version}")
  endif()
endfunction()
