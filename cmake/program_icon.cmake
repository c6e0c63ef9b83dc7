# The program's icon, drawn once in data/icons/vidideza.svg and rendered at build time into
# the PNG sizes the hicolor theme and the window need. Sets VIDIDEZA_ICON_PNGS (in size order,
# each named vidideza-<size>.png in ${VIDIDEZA_ICON_DIR}).
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(VIDIDEZA_ICON_SOURCE ${CMAKE_SOURCE_DIR}/data/icons/vidideza.svg)
set(VIDIDEZA_ICON_SIZES 16 22 24 32 48 64 128 256)
set(VIDIDEZA_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(VIDIDEZA_ICON_PNGS "")
foreach(size IN LISTS VIDIDEZA_ICON_SIZES)
  set(png ${VIDIDEZA_ICON_DIR}/vidideza-${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VIDIDEZA_ICON_DIR}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png}
            ${VIDIDEZA_ICON_SOURCE}
    DEPENDS ${VIDIDEZA_ICON_SOURCE}
    COMMENT "Rendering the ${size} px icon"
    VERBATIM)
  list(APPEND VIDIDEZA_ICON_PNGS ${png})
endforeach()
