# Installs the pinned font packages with npm and stages their faces in the
# build tree, under the resource paths the documents load them from
# (qrc:/fonts/… and qrc:/FontAwesome/…). Nothing is written into the source
# tree; the stamp makes repeated configures cheap.

set(VENDRIX_FONT_PACKAGES_DIR ${CMAKE_CURRENT_SOURCE_DIR}/scripts/fonts)
set(VENDRIX_FONT_NPM_DIR ${CMAKE_BINARY_DIR}/npm-fonts)
# the root of the staged files: fonts/ and FontAwesome/ below it
set(VENDRIX_STAGED_DIR ${CMAKE_BINARY_DIR}/staged)
set(VENDRIX_FONTS_DIR ${VENDRIX_STAGED_DIR}/fonts)
set(VENDRIX_FONTAWESOME_FONTS_DIR ${VENDRIX_STAGED_DIR}/FontAwesome)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${VENDRIX_FONT_PACKAGES_DIR}/package.json ${VENDRIX_FONT_PACKAGES_DIR}/package-lock.json)

file(SHA256 ${VENDRIX_FONT_PACKAGES_DIR}/package-lock.json _vendrix_font_lock_hash)
set(_vendrix_font_stamp ${VENDRIX_STAGED_DIR}/.staged-from)
set(_vendrix_fonts_current FALSE)
if(EXISTS ${_vendrix_font_stamp})
    file(READ ${_vendrix_font_stamp} _vendrix_staged_hash)
    if(_vendrix_staged_hash STREQUAL _vendrix_font_lock_hash)
        set(_vendrix_fonts_current TRUE)
    endif()
endif()

# weight number in the package -> weight word in our file names
set(_vendrix_weights
    100Thin:Thin 200ExtraLight:ExtraLight 300Light:Light 400Regular:Regular
    500Medium:Medium 600SemiBold:SemiBold 700Bold:Bold 800ExtraBold:ExtraBold 900Black:Black)

function(_vendrix_stage_family package prefix dir allowed_weights)
    foreach(pair ${_vendrix_weights})
        string(REPLACE ":" ";" pair "${pair}")
        list(GET pair 0 pkg_weight)
        list(GET pair 1 weight)
        list(FIND allowed_weights ${weight} found)
        if(found EQUAL -1)
            continue()
        endif()
        set(src_root ${VENDRIX_FONT_NPM_DIR}/node_modules/@expo-google-fonts/${package})
        file(GLOB upright ${src_root}/${pkg_weight}/*_${pkg_weight}.ttf)
        file(GLOB italic ${src_root}/${pkg_weight}_Italic/*_${pkg_weight}_Italic.ttf)
        if(NOT upright OR NOT italic)
            message(FATAL_ERROR "Font face ${package} ${pkg_weight} missing from the npm package")
        endif()
        configure_file(${upright} ${VENDRIX_FONTS_DIR}/${dir}/${prefix}-${weight}.ttf COPYONLY)
        configure_file(${italic} ${VENDRIX_FONTS_DIR}/${dir}/${prefix}-${weight}Italic.ttf COPYONLY)
    endforeach()
endfunction()

if(NOT _vendrix_fonts_current)
    find_program(NPM_EXECUTABLE npm REQUIRED)
    message(STATUS "Installing pinned font packages with npm")
    file(MAKE_DIRECTORY ${VENDRIX_FONT_NPM_DIR})
    configure_file(${VENDRIX_FONT_PACKAGES_DIR}/package.json ${VENDRIX_FONT_NPM_DIR}/package.json COPYONLY)
    configure_file(${VENDRIX_FONT_PACKAGES_DIR}/package-lock.json ${VENDRIX_FONT_NPM_DIR}/package-lock.json COPYONLY)
    execute_process(
        COMMAND ${NPM_EXECUTABLE} ci --ignore-scripts --no-audit --no-fund --loglevel=error
        WORKING_DIRECTORY ${VENDRIX_FONT_NPM_DIR}
        RESULT_VARIABLE _npm_result)
    if(NOT _npm_result EQUAL 0)
        message(FATAL_ERROR "npm ci for the font packages failed (${_npm_result})")
    endif()

    file(REMOVE_RECURSE ${VENDRIX_STAGED_DIR})
    set(all_weights Thin ExtraLight Light Regular Medium SemiBold Bold ExtraBold Black)
    _vendrix_stage_family(montserrat Montserrat Montserrat "${all_weights}")
    _vendrix_stage_family(raleway Raleway Raleway "${all_weights}")
    _vendrix_stage_family(nunito-sans NunitoSans Nunito_Sans "ExtraLight;Light;Regular;SemiBold;Bold;ExtraBold;Black")
    _vendrix_stage_family(roboto Roboto Roboto "Thin;Light;Regular;Medium;Bold;Black")

    # Font Awesome 5 Free: the npm package carries the faces as web-font TTFs;
    # the loaded files keep their desktop names (Qt reads the format from the data).
    set(fa5 ${VENDRIX_FONT_NPM_DIR}/node_modules/@fortawesome/fontawesome-free/webfonts)
    set(fa4 ${VENDRIX_FONT_NPM_DIR}/node_modules/font-awesome/fonts/fontawesome-webfont.ttf)
    set(fadir ${VENDRIX_FONTS_DIR}/fontAwesome)
    configure_file(${fa5}/fa-regular-400.ttf ${fadir}/FontAwesome5FreeRegular400.otf COPYONLY)
    configure_file(${fa5}/fa-solid-900.ttf ${fadir}/FontAwesome5Solid900.otf COPYONLY)
    configure_file(${fa5}/fa-brands-400.ttf ${fadir}/FontAwesome5Brands400.otf COPYONLY)
    foreach(webfont fa-regular-400.ttf fa-solid-900.ttf fa-brands-400.ttf)
        configure_file(${fa5}/${webfont} ${fadir}/${webfont} COPYONLY)
    endforeach()
    configure_file(${fa4} ${fadir}/fontawesome-webfont.ttf COPYONLY)

    # the icon-font module's own faces, beside its documents in the resources
    configure_file(${fa4} ${VENDRIX_FONTAWESOME_FONTS_DIR}/fontawesome-webfont.ttf COPYONLY)
    configure_file(${fa5}/fa-solid-900.ttf ${VENDRIX_FONTAWESOME_FONTS_DIR}/fontawesome_solid_900.otf COPYONLY)

    file(WRITE ${_vendrix_font_stamp} "${_vendrix_font_lock_hash}")
endif()
