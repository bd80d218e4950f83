# Makes the Debian package with CPack, as the README tells, and checks what apt and a desktop
# need of it: its name, version and section, the Qt 6 runtime packages among its dependencies,
# files owned by root with the usual modes, exactly the installed files under /usr, a desktop
# entry that names /usr/bin/morvane-sprite-editor and that desktop-file-validate accepts, and the
# metadata, MIME types, icons, manual pages and share/doc files as the installation check wants
# them. The packaged editor must answer --version.
#
# cmake -DBUILD_DIR=... -DOUTPUT_DIR=... -DCPACK=... -DSOURCE_DIR=... -DVERSION=...
#       -P PackageCheck.cmake

cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/CheckHelpers.cmake)

require_program(DPKG_DEB dpkg-deb dpkg)
require_program(DPKG_SHLIBDEPS dpkg-shlibdeps dpkg-dev)

file(REMOVE_RECURSE "${OUTPUT_DIR}")
run_or_fail(output "${CPACK}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${OUTPUT_DIR}")
file(GLOB packages "${OUTPUT_DIR}/*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
  fail("cpack made ${count} packages instead of one:\n${output}")
endif()
get_filename_component(name "${packages}" NAME)
if(NOT name MATCHES "^morvane-sprite-editor_${VERSION}_[a-z0-9]+\\.deb$")
  fail("the package is called ${name}, not morvane-sprite-editor_${VERSION}_ARCH.deb")
endif()

run_or_fail(control "${DPKG_DEB}" --field "${packages}")
foreach(line "Package: morvane-sprite-editor" "Version: ${VERSION}" "Section: graphics"
             "Recommends: xdg-utils")
  if(NOT control MATCHES "(^|\n)${line}\n")
    fail("the package's control lacks \"${line}\":\n${control}")
  endif()
endforeach()
string(REGEX MATCH "\nDepends: [^\n]*" depends "${control}")
foreach(library libc6 libstdc\\+\\+6 libqt6core6 libqt6gui6 libqt6widgets6)
  if(NOT depends MATCHES "[ ,]${library}( |,|$)")
    fail("the package does not depend on ${library}:${depends}")
  endif()
endforeach()

# Every entry belongs to root; programs and folders are 0755, every other file 0644.
run_or_fail(listing "${DPKG_DEB}" --contents "${packages}")
string(REPLACE "\n" ";" entries "${listing}")
foreach(entry ${entries})
  if(entry STREQUAL "")
    continue()
  endif()
  if(NOT entry MATCHES "^([-d])([-rwx]+) root/root .* \\./(.*)$")
    fail("unexpected owner or kind in the package: ${entry}")
  endif()
  set(path "${CMAKE_MATCH_3}")
  set(mode "${CMAKE_MATCH_2}")
  if(CMAKE_MATCH_1 STREQUAL "d" OR path MATCHES "^usr/bin/")
    set(wanted "rwxr-xr-x")
  else()
    set(wanted "rw-r--r--")
  endif()
  if(NOT mode STREQUAL wanted)
    fail("${path} has mode ${mode} in the package instead of ${wanted}")
  endif()
endforeach()

set(root "${OUTPUT_DIR}/root")
run_or_fail(output "${DPKG_DEB}" --extract "${packages}" "${root}")
set(usr "${root}/usr")
set(share "${usr}/share")
set(editor "${usr}/bin/morvane-sprite-editor")
set(mime "${share}/mime/packages/morvane-sprite-editor-mime.xml")
set(metainfo "${share}/metainfo/example.morvane_sarnet.sprite_editor.metainfo.xml")
set(doc "${share}/doc/morvane-sprite-editor")
set(icon_sizes 16 32 48 64 128 256)
set(expected "${editor}" "${usr}/bin/morvane-sprite-tool"
             "${share}/applications/morvane-sprite-editor.desktop" "${metainfo}" "${mime}"
             "${share}/morvane-sprite-editor/Morvane Sarnet Sprite Editor.txt"
             "${doc}/copyright" "${doc}/changelog.gz"
             "${share}/icons/hicolor/scalable/apps/morvane-sprite-editor.svg"
             "${share}/man/man1/morvane-sprite-editor.1.gz"
             "${share}/man/man1/morvane-sprite-tool.1.gz")
foreach(size ${icon_sizes})
  list(APPEND expected "${share}/icons/hicolor/${size}x${size}/apps/morvane-sprite-editor.png")
endforeach()
if(EXISTS "${SOURCE_DIR}/data/completion/morvane-sprite-tool.bash")
  list(APPEND expected "${share}/bash-completion/completions/morvane-sprite-tool")
endif()
expect_exactly("${root}" "${expected}")

check_desktop_entry("${share}/applications/morvane-sprite-editor.desktop"
                    "/usr/bin/morvane-sprite-editor" "/usr/bin/morvane-sprite-editor")
check_metainfo("${metainfo}" "${VERSION}")
check_mime_types("${mime}" "${OUTPUT_DIR}/mime-check")
check_icons("${share}/icons/hicolor" "${icon_sizes}")
check_man_page("${share}/man/man1/morvane-sprite-editor.1.gz" "MORVANE-SPRITE-EDITOR" "${VERSION}")
check_man_page("${share}/man/man1/morvane-sprite-tool.1.gz" "MORVANE-SPRITE-TOOL" "${VERSION}")
check_doc("${doc}" "${VERSION}")

run_or_fail(printed "${editor}" --version)
if(NOT printed STREQUAL "morvane-sprite-editor ${VERSION}\n")
  fail("the packaged editor's --version printed \"${printed}\"")
endif()
