# The release: the plugin, a commented example configuration beside it, the tools and the
# documentation, as one zip (cmake --build --preset windows --target package).

# Tools join the release when they are built; some are added after this file is read, so
# the programs are collected once the whole project is known.
set(FOOTPLATE_RELEASE_TOOLS footplate-run footplate-cfg)

function(footplate_install_programs)
  install(TARGETS footplate RUNTIME DESTINATION . LIBRARY DESTINATION . COMPONENT release)
  foreach(tool IN LISTS FOOTPLATE_RELEASE_TOOLS)
    if(TARGET ${tool})
      install(TARGETS ${tool} RUNTIME DESTINATION . COMPONENT release)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL footplate_install_programs)

install(FILES ${CMAKE_SOURCE_DIR}/packaging/footplate.cfg ${CMAKE_SOURCE_DIR}/README.md
  ${CMAKE_SOURCE_DIR}/docs/installing.md DESTINATION . COMPONENT release)
foreach(folder docs examples)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${folder})
    install(DIRECTORY ${CMAKE_SOURCE_DIR}/${folder}/ DESTINATION ${folder} COMPONENT release)
  endif()
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME footplate)
set(CPACK_PACKAGE_VENDOR footplate)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Train-protection and cab-equipment plugin for train simulators")
if(WIN32)
  set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_COMPONENTS_ALL release)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
# Not stripped: the shipped DLL keeps the symbols its interface check reads.
set(CPACK_STRIP_FILES OFF)
include(CPack)
