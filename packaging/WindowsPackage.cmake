# The Windows installer (NSIS, 64-bit) of a cross build; included by packaging/CMakeLists.txt.
#   bin/                       vantrell.exe, pellory.exe, skerrow.exe, the Qt and compiler DLLs,
#                              platforms/ and styles/ plugins beside them
#   share/tessavel/demo/       the demo program folder that fills %APPDATA%\tessavel\<program> on
#                              first start (common/ProgramFolder)
# The portable zip is this tree with bin/ and the demo folder merged into one folder, so the programs
# keep their files beside them (scripts/windows/build.sh makes it).

# The three programs are window programs: no console window beside them.
foreach(program vantrell pellory skerrow)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
endforeach()

# Qt's DLLs and the plugins the programs load: the platform (windows; offscreen and minimal for
# running without a desktop) and the Windows styles.
foreach(module Core Gui Widgets)
  install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
foreach(plugin QWindowsIntegrationPlugin QOffscreenIntegrationPlugin QMinimalIntegrationPlugin)
  if(TARGET Qt6::${plugin})
    install(FILES $<TARGET_FILE:Qt6::${plugin}> DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
  endif()
endforeach()
if(TARGET Qt6::QWindowsVistaStylePlugin)
  install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)
endif()

# The compiler's runtime DLLs, which the programs and Qt need.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE dll_path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${dll_path}")
    message(FATAL_ERROR "${dll} not found beside ${CMAKE_CXX_COMPILER}")
  endif()
  get_filename_component(dll_path "${dll_path}" REALPATH)
  install(FILES "${dll_path}" DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

set(CPACK_PACKAGE_NAME tessavel)
set(CPACK_PACKAGE_VENDOR "The Tessavel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Real-time map editing for older Nissan engine computers on ROM emulator boards")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME tessavel-${PROJECT_VERSION}-win64-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tessavel)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tessavel)
set(CPACK_GENERATOR NSIS)
set(CPACK_NSIS_PACKAGE_NAME "Tessavel ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Tessavel")
# A 64-bit installer: the default 32-bit one would install into the 32-bit Program Files and
# registry view (and installs nothing under a 64-bit-only Wine).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
# Start-menu entries: program and title.
set(CPACK_PACKAGE_EXECUTABLES vantrell "Vantrell" pellory "Pellory" skerrow "Skerrow")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY bin)
# The uninstaller removes what the installer put in the program's folder; the users' program folders
# under %APPDATA% are theirs and stay.
include(CPack)
