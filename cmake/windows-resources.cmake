# Windows resources of the programs: the icon drawn by the host build's q42-icon-export, a version
# resource from the project's version, and an application manifest.
enable_language(RC)

set(Q42_HOST_BIN ${PROJECT_SOURCE_DIR}/build-ci/bin CACHE PATH
    "Programs of a Linux build of this checkout that the Windows build runs: q42-icon-export, q42-unit-sim")
set(Q42_WINDOWS_ICON ${CMAKE_BINARY_DIR}/q42-panel.ico)
add_custom_command(OUTPUT ${Q42_WINDOWS_ICON}
  COMMAND ${Q42_HOST_BIN}/q42-icon-export --ico ${Q42_WINDOWS_ICON} 16 24 32 48 256
  COMMENT "Drawing the Windows icon with ${Q42_HOST_BIN}/q42-icon-export (build the Linux preset first)")
add_custom_target(q42-windows-icon DEPENDS ${Q42_WINDOWS_ICON})

# q42_windows_resources(TARGET DESCRIPTION [GUI]): GUI programs declare per-monitor DPI awareness, as
# Qt 6 itself sets it, so the manifest and Qt agree.
function(q42_windows_resources target description)
  set(Q42_NAME ${target})
  set(Q42_EXE ${target}.exe)
  set(Q42_FILE_DESCRIPTION "${description}")
  set(Q42_ICO ${Q42_WINDOWS_ICON})
  set(Q42_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  set(Q42_DPI_SETTINGS "")
  if("GUI" IN_LIST ARGN)
    set(Q42_DPI_SETTINGS "  <asmv3:application>
    <asmv3:windowsSettings>
      <dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>
      <dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2</dpiAwareness>
    </asmv3:windowsSettings>
  </asmv3:application>
")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/app.manifest.in ${Q42_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/resources.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
    OBJECT_DEPENDS "${Q42_WINDOWS_ICON};${Q42_MANIFEST}")
  add_dependencies(${target} q42-windows-icon)
endfunction()
