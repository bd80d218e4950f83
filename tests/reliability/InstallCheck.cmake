# Installs the build into a fresh prefix and checks what a desktop needs there: both programs,
# the help text where the installed editor looks for it, a valid desktop entry for .gb and .gbc
# files, the MIME types, and the 32 x 32 icon. Then the installed tool makes a demo ROM image and
# the installed editor must start on it and keep running.
#
# cmake -DBUILD_DIR=... -DPREFIX=... -DSOURCE_DIR=... -DBINDIR=bin -DDATADIR=share
#       -P InstallCheck.cmake

cmake_minimum_required(VERSION 3.25)

function(fail text)
  message(FATAL_ERROR "${text}")
endfunction()

function(expect_file path)
  if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
    fail("not installed: ${path}")
  endif()
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  fail("cmake --install failed:\n${output}")
endif()

set(bin "${PREFIX}/${BINDIR}")
set(share "${PREFIX}/${DATADIR}")
set(editor "${bin}/morvane-sprite-editor")
set(tool "${bin}/morvane-sprite-tool")
expect_file("${editor}")
expect_file("${tool}")

# The editor looks beside itself first and then in ../share/morvane-sprite-editor/.
set(help "${bin}/../share/morvane-sprite-editor/Morvane Sarnet Sprite Editor.txt")
expect_file("${help}")
file(SHA256 "${help}" installed_help)
file(SHA256 "${SOURCE_DIR}/data/Morvane Sarnet Sprite Editor.txt" source_help)
if(NOT installed_help STREQUAL source_help)
  fail("the installed help text differs from data/Morvane Sarnet Sprite Editor.txt")
endif()

set(desktop "${share}/applications/morvane-sprite-editor.desktop")
expect_file("${desktop}")
file(STRINGS "${desktop}" entry)
foreach(line "Type=Application" "Name=Morvane Sarnet Sprite Editor"
             "Exec=morvane-sprite-editor %f" "Icon=morvane-sprite-editor"
             "MimeType=application/x-gameboy-rom;application/x-gameboy-color-rom;")
  if(NOT line IN_LIST entry)
    fail("the desktop entry lacks the line \"${line}\"")
  endif()
endforeach()
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${desktop}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0 OR output MATCHES "error")
    fail("desktop-file-validate refuses the desktop entry:\n${output}")
  endif()
else()
  message(STATUS "desktop-file-validate is not installed; the entry was checked line by line")
endif()

# The MIME types must carry the globs of both kinds of ROM image once the database is built.
set(mime "${share}/mime")
expect_file("${mime}/packages/morvane-sprite-editor-mime.xml")
find_program(UPDATE_MIME_DATABASE update-mime-database)
if(UPDATE_MIME_DATABASE)
  execute_process(COMMAND "${UPDATE_MIME_DATABASE}" "${mime}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    fail("update-mime-database refuses the MIME types:\n${output}")
  endif()
  file(STRINGS "${mime}/globs" globs)
  foreach(glob "application/x-gameboy-rom:*.gb" "application/x-gameboy-color-rom:*.gbc")
    if(NOT glob IN_LIST globs)
      fail("the MIME database built from the installed types lacks \"${glob}\"")
    endif()
  endforeach()
endif()

# A PNG's IHDR holds its width and height as 32-bit numbers from byte 16 on.
set(icon "${share}/icons/hicolor/32x32/apps/morvane-sprite-editor.png")
expect_file("${icon}")
file(READ "${icon}" head LIMIT 24 HEX)
if(NOT head MATCHES "^89504e470d0a1a0a0000000d494844520000002000000020$")
  fail("the icon is not a 32 x 32 PNG image (its first bytes are ${head})")
endif()

set(demo "${PREFIX}/demo image.gb")
execute_process(COMMAND "${tool}" demo "${demo}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  fail("the installed tool cannot make a demo ROM image:\n${output}")
endif()

# Started on the demo image, the editor must still be running when the time is up.
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND "${editor}" "${demo}" TIMEOUT 3
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status MATCHES "timeout")
  fail("the installed editor ended by itself (${status}):\n${output}")
endif()
