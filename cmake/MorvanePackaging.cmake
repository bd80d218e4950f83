# Everything the two programs need beside them to be installed like any desktop application:
# the AppStream metadata software centres list, the manual pages, the copyright file and
# changelog Debian expects in share/doc, and the Debian package made by CPack from the install
# rules (cpack -G DEB in the build folder).
# Included once both programs are defined.

option(MORVANE_MAN_PAGES "Write the manual pages with help2man" ON)

# The newest changelog entry is the release: its version must be the project's, and its date is
# the release date the AppStream metadata gives.
set(MORVANE_CHANGELOG "${PROJECT_SOURCE_DIR}/data/packaging/changelog")
file(STRINGS "${MORVANE_CHANGELOG}" morvane_changelog_heads REGEX "^morvane-sprite-editor \\(")
list(GET morvane_changelog_heads 0 morvane_newest)
if(NOT morvane_newest MATCHES "^morvane-sprite-editor \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "The newest entry of ${MORVANE_CHANGELOG} is \"${morvane_newest}\", not "
                      "version ${PROJECT_VERSION}: add an entry for the new version.")
endif()
file(STRINGS "${MORVANE_CHANGELOG}" morvane_changelog_dates
     REGEX "^ -- .*  [A-Z][a-z][a-z], [0-9][0-9] [A-Z][a-z][a-z] [0-9][0-9][0-9][0-9] ")
list(GET morvane_changelog_dates 0 morvane_newest_date)
string(REGEX MATCH "([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9])" morvane_match
       "${morvane_newest_date}")
set(morvane_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND morvane_months "${CMAKE_MATCH_2}" morvane_month)
if(morvane_month LESS 0)
  message(FATAL_ERROR "Cannot read the date of the newest entry of ${MORVANE_CHANGELOG}.")
endif()
math(EXPR morvane_month "${morvane_month} + 1")
if(morvane_month LESS 10)
  set(morvane_month "0${morvane_month}")
endif()
set(MORVANE_RELEASE_DATE "${CMAKE_MATCH_3}-${morvane_month}-${CMAKE_MATCH_1}")

set(morvane_metainfo "${PROJECT_BINARY_DIR}/example.morvane_sarnet.sprite_editor.metainfo.xml")
configure_file("${PROJECT_SOURCE_DIR}/data/example.morvane_sarnet.sprite_editor.metainfo.xml.in"
               "${morvane_metainfo}" @ONLY)
install(FILES "${morvane_metainfo}" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages, from each program's --help and --version.
if(MORVANE_MAN_PAGES)
  find_program(HELP2MAN help2man REQUIRED)
  set(morvane_man_pages)
  foreach(program morvane-sprite-editor morvane-sprite-tool)
    set(page "${PROJECT_BINARY_DIR}/man/${program}.1.gz")
    add_custom_command(OUTPUT "${page}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/man"
      COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN} -DPROGRAM=$<TARGET_FILE:${program}>
              -DNAME=${program} -DVERSION=${PROJECT_VERSION}
              -DINCLUDE=${PROJECT_SOURCE_DIR}/data/man/${program}.h2m -DOUTPUT=${page}
              -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
      DEPENDS ${program} "${PROJECT_SOURCE_DIR}/data/man/${program}.h2m"
              "${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake"
      COMMENT "Writing the manual page of ${program}"
      VERBATIM)
    list(APPEND morvane_man_pages "${page}")
  endforeach()
  add_custom_target(morvane_man_pages ALL DEPENDS ${morvane_man_pages})
  install(FILES ${morvane_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# share/doc/morvane-sprite-editor: the copyright file as it stands, the changelog compressed.
set(morvane_changelog_gz "${PROJECT_BINARY_DIR}/doc/changelog.gz")
add_custom_command(OUTPUT "${morvane_changelog_gz}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/doc"
  COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$2\"" sh "${MORVANE_CHANGELOG}" "${morvane_changelog_gz}"
  DEPENDS "${MORVANE_CHANGELOG}"
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(morvane_changelog ALL DEPENDS "${morvane_changelog_gz}")
install(FILES "${PROJECT_SOURCE_DIR}/data/packaging/copyright" "${morvane_changelog_gz}"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/morvane-sprite-editor)

# The Debian package: the files of the install rules under /usr, and the Qt 6 runtime packages
# the programs link as dependencies, found by dpkg-shlibdeps. The desktop, MIME, icon and manual
# page databases are brought up to date by the triggers of the packages that own them.
# CMake lists the installed files in the build folder, and one installation by root (sudo cmake
# --install) would leave that list owned by root, so that the next installation by the build
# folder's owner could not write its own. Removing it needs only the folder's permission.
install(CODE "file(REMOVE \"${PROJECT_BINARY_DIR}/install_manifest.txt\")")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvane-sprite-editor)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Morvane Sarnet Sprite Editor team")
set(CPACK_PACKAGE_CONTACT
    "Morvane Sarnet Sprite Editor team <sprite-editor@morvane-sarnet.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "editor for the overworld character sprites of a Game Boy ROM image")
set(CPACK_PACKAGE_DESCRIPTION
    "The editor changes the 45 overworld character sprites stored at fixed
offsets in one game's Game Boy ROM image: pick a sprite, paint its 24 tiles
pixel by pixel in four display colours, watch its walking animation and save
the sprite's 384-byte block back into the ROM image in place.
morvane-sprite-tool exports and imports the sprites as PNG images, one by
one, as a set or as one sheet, compares ROM images, and makes and applies IPS
and BPS patches from the command line.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://morvane-sarnet.example/sprite-editor")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# A stripped program still carries the compiler's notes (.comment, .note), which Debian's own
# strip removes as well; so does this, for the package and for cmake --install --strip.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program morvane-sprite-editor morvane-sprite-tool)
      set(path \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\")
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                              --remove-section=.note --strip-unneeded \"\${path}\"
                      RESULT_VARIABLE status ERROR_VARIABLE complaint)
      if(NOT status EQUAL 0)
        message(FATAL_ERROR \"${CMAKE_STRIP} cannot strip \${path}: \${complaint}\")
      endif()
    endforeach()
  endif()
")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's fixed layout is measured in Arial, which resolves to the metric-compatible
# Liberation Sans only when fonts-liberation is installed; any other font clips its captions.
# dpkg-shlibdeps adds the libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
# Help, Help shows the user guide with the desktop's text viewer through xdg-open (and in the
# editor's own viewer without it).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
