# The two LCD display fonts are built from the glyph definitions in assets/fonts
# and embedded as Qt resources (":/fonts/VORDA-A2.ttf", ":/fonts/VORDA-A3.ttf").
# Debian's fontTools serves the system interpreter, not whatever python3 is first on PATH.
set(VIREO_FONT_PYTHON /usr/bin/python3 CACHE FILEPATH "Python with fontTools for building the LCD fonts")

function(vireo_add_fonts target)
  set(out_dir ${CMAKE_BINARY_DIR}/fonts)
  set(script ${CMAKE_SOURCE_DIR}/tools/fontbuild/build_font.py)
  set(outputs "")
  foreach(font VORDA-A2 VORDA-A3)
    set(glyphs ${CMAKE_SOURCE_DIR}/assets/fonts/${font}.glyphs)
    set(ttf ${out_dir}/${font}.ttf)
    add_custom_command(
      OUTPUT ${ttf}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
      COMMAND ${VIREO_FONT_PYTHON} ${script} ${glyphs} ${ttf}
      DEPENDS ${script} ${glyphs}
      COMMENT "Building font ${font}"
      VERBATIM)
    list(APPEND outputs ${ttf})
  endforeach()
  qt_add_resources(${target} "vireo_fonts" PREFIX "/fonts" BASE ${out_dir} FILES ${outputs})
endfunction()
