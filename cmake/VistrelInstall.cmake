# `cmake --install` lays out the same program folder below <prefix>/lib/VistrelViewer, links
# the executable into <prefix>/bin and adds the desktop entry and the icon.
include(GNUInstallDirs)
set(VISTREL_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/VistrelViewer)

install(TARGETS vistrel-info RUNTIME DESTINATION ${VISTREL_INSTALL_DIR})
install(TARGETS qwtiff16 LIBRARY DESTINATION ${VISTREL_INSTALL_DIR}/System)
# The service SDK: the one header that modules are built on, and its guide.
install(FILES ${PROJECT_SOURCE_DIR}/sdk/include/vistrel/service.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vistrel)
install(FILES ${PROJECT_SOURCE_DIR}/sdk/README.md ${PROJECT_SOURCE_DIR}/sdk/examples/hello_service.c
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/sdk)
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  execute_process(COMMAND ${CMAKE_COMMAND} -E create_symlink
    ../${VISTREL_INSTALL_DIR}/vistrel-info
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vistrel-info\")")

if(VISTREL_WITH_GUI)
  install(TARGETS VistrelViewer RUNTIME DESTINATION ${VISTREL_INSTALL_DIR})
  install(DIRECTORY ${VISTREL_PROGRAM_DIR}/System ${VISTREL_PROGRAM_DIR}/Resource
          DESTINATION ${VISTREL_INSTALL_DIR})
  # The demo card (made by the build, see tools/demo_generator) beside the program.
  install(DIRECTORY ${VISTREL_PROGRAM_DIR}/Demo DESTINATION ${VISTREL_INSTALL_DIR})
  # The scratch folder is emptied at every start, so it must be writable by its users.
  install(DIRECTORY DESTINATION ${VISTREL_INSTALL_DIR}/Temporary
          DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    execute_process(COMMAND ${CMAKE_COMMAND} -E create_symlink
      ../${VISTREL_INSTALL_DIR}/VistrelViewer
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/VistrelViewer\")")
  install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/vistrelviewer.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/vistrelviewer.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
