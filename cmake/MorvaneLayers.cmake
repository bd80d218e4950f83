# Each library of src/ exports its own folder and nothing else. Its users include its headers as
# "folder/Header.h" through a directory that holds only a link to that folder, so an include
# that runs upward or sideways (preview including "editor/frmMain.h") names a file that is not
# on the path and fails to compile. Within a folder, files include each other as "Header.h".
function(morvane_export_headers target)
  get_filename_component(folder "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
  set(root "${PROJECT_BINARY_DIR}/exported/${folder}")
  file(MAKE_DIRECTORY "${root}")
  file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${root}/${folder}" SYMBOLIC)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE "${root}")
  else()
    target_include_directories(${target} PUBLIC "${root}")
  endif()
endfunction()
