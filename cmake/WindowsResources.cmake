# The version resource and the application manifest of a Windows program, made from the one
# project version. frt2dxf_windows_resources(TARGET "description")
function(frt2dxf_windows_resources target description)
  set(FRT2DXF_PROGRAM ${target})
  set(FRT2DXF_DESCRIPTION "${description}")
  set(FRT2DXF_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(FRT2DXF_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/frt2dxf.manifest ${FRT2DXF_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/version.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
endfunction()
