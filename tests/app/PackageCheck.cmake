# Makes the Debian package with CPack, as the README tells, and checks what apt and a desktop
# need of it: its name, version and section, the Qt 6 runtime packages among its dependencies,
# files owned by root with the usual modes, exactly the installed files under /usr, a desktop
# entry that names /usr/bin/morvane-sprite-editor and that desktop-file-validate accepts, and the
# metadata, MIME types, icons, manual pages and share/doc files as the installation check wants
# them; lintian warns of nothing. The packaged editor must answer --version.
#
# cmake -DBUILD_DIR=... -DOUTPUT_DIR=... -DCPACK=... -DSOURCE_DIR=... -DVERSION=...
#       -DHARDENED=ON|OFF -P PackageCheck.cmake

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
foreach(library fonts-liberation libc6 libstdc\\+\\+6 libqt6core6 libqt6gui6 libqt6widgets6)
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
installed_files("${root}/usr/bin" "${root}/usr/share" "${root}/usr/share/man" "${SOURCE_DIR}")
expect_exactly("${root}" "${expected}")

check_desktop_entry("${desktop}" "/usr/bin/morvane-sprite-editor" "/usr/bin/morvane-sprite-editor")
check_installed_data("${root}/usr/share" "${root}/usr/share/man" "${VERSION}"
                     "${OUTPUT_DIR}/mime-check")

# lintian has no error or warning, and none of its notes on programs stripped less than Debian
# strips; nor, when the build is a hardened one, on programs built without Debian's hardening.
require_program(LINTIAN lintian lintian)
execute_process(COMMAND "${LINTIAN}" --fail-on error,warning --display-info "${packages}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
set(faults "(^|\n)[EW]: |binary-has-unneeded-section")
if(HARDENED)
  string(APPEND faults "|hardening-")
endif()
if(NOT status EQUAL 0 OR output MATCHES "${faults}")
  fail("lintian finds fault with ${name} (${status}):\n${output}")
endif()

run_or_fail(printed "${editor}" --version)
if(NOT printed STREQUAL "morvane-sprite-editor ${VERSION}\n")
  fail("the packaged editor's --version printed \"${printed}\"")
endif()
