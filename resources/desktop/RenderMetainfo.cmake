# vexo_render_metainfo(<template> <output> <id> <screenshot base URL>)
#
# Writes the viewer's AppStream entry. Software centres take screenshots from the web
# only, so the entry names resources/screenshots/Prismora.png under the address where it
# is published; without an address it has no screenshot (a screenshot on this PC is not
# allowed there). Also runs as a script:
#   cmake -DTEMPLATE=... -DOUTPUT=... -DID=... -DSCREENSHOT_BASE_URL=... -P RenderMetainfo.cmake
function(vexo_render_metainfo template output id base)
  set(VEXO_APPSTREAM_ID "${id}")
  set(VEXO_APPSTREAM_SCREENSHOTS "")
  if(base)
    string(REGEX REPLACE "/+$" "" base "${base}")
    string(CONCAT VEXO_APPSTREAM_SCREENSHOTS
      "  <screenshots>\n"
      "    <screenshot type=\"default\">\n"
      "      <caption>Four simulated cameras in the main window</caption>\n"
      "      <caption xml:lang=\"zh_CN\">主窗口中的四台模拟相机</caption>\n"
      "      <image>${base}/Prismora.png</image>\n"
      "    </screenshot>\n"
      "  </screenshots>\n")
  endif()
  configure_file("${template}" "${output}" @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  vexo_render_metainfo("${TEMPLATE}" "${OUTPUT}" "${ID}" "${SCREENSHOT_BASE_URL}")
endif()
