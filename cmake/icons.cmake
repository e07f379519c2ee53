# The icon is drawn once, as SVG; every size is rendered from it at build time with rsvg-convert:
# the desktop sizes in icons/hicolor, the window icon (32 pixels, in the resources) and on
# Windows the .ico of the programs (16, 24, 32, 48, 256; BLX52_ICO).
set(BLX52_ICON_SVG ${PROJECT_SOURCE_DIR}/packaging/icons/blx52.svg)
set(BLX52_ICON_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_files)
foreach(size 16 24 32 48 64 128 256)
    set(png ${BLX52_ICON_DIR}/${size}x${size}/apps/${BLX52_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${BLX52_ICON_DIR}/${size}x${size}/apps
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${BLX52_ICON_SVG}
        DEPENDS ${BLX52_ICON_SVG}
        COMMENT "Icon ${size}x${size}"
        VERBATIM)
    list(APPEND icon_files ${png})
    set(icon_${size} ${png})
endforeach()
if(WIN32)
    find_program(ICOTOOL icotool REQUIRED)
    set(BLX52_ICO ${CMAKE_BINARY_DIR}/icons/blx52.ico)
    # The 256-pixel image stays PNG inside the .ico, as Windows expects it.
    add_custom_command(OUTPUT ${BLX52_ICO}
        COMMAND ${ICOTOOL} -c -o ${BLX52_ICO} ${icon_16} ${icon_24} ${icon_32} ${icon_48}
                -r ${icon_256}
        DEPENDS ${icon_16} ${icon_24} ${icon_32} ${icon_48} ${icon_256}
        COMMENT "Windows icon"
        VERBATIM)
    list(APPEND icon_files ${BLX52_ICO})
endif()
add_custom_target(blx52-icons ALL DEPENDS ${icon_files})
set(BLX52_ICON_32 ${icon_32})
