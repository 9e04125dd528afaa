# Generates the resource bundles from the tree, so a new document only has to be
# created to be embedded. QML and JS are compiled ahead of time by the Qt Quick
# Compiler. The fonts (staged in the build tree by Fonts.cmake) get a bundle of
# their own, which native/CMakeLists.txt compiles into the core library through
# the big-resource path: rcc's C++ output for megabytes of font data is slow to
# compile.

set(VENDRIX_QRC_DIR ${CMAKE_BINARY_DIR}/qrc)
file(MAKE_DIRECTORY ${VENDRIX_QRC_DIR})

# statics.js carries the backend origin; the build's copy gets VENDRIX_API_URL.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/src/api/statics.js _statics)
string(REPLACE "${VENDRIX_PRODUCTION_API_URL}" "${VENDRIX_API_URL}" _statics "${_statics}")
file(WRITE ${VENDRIX_QRC_DIR}/statics.js.tmp "${_statics}")
configure_file(${VENDRIX_QRC_DIR}/statics.js.tmp ${VENDRIX_QRC_DIR}/generated/statics.js COPYONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/api/statics.js)

# Writes a bundle of the given files; each is reached under its path below `root`.
function(_vendrix_write_qrc qrc_file root)
    set(entries "")
    foreach(file ${ARGN})
        file(RELATIVE_PATH alias ${root} ${file})
        if(alias STREQUAL "src/api/statics.js")
            set(file ${VENDRIX_QRC_DIR}/generated/statics.js)
        endif()
        string(APPEND entries "        <file alias=\"${alias}\">${file}</file>\n")
    endforeach()
    file(WRITE ${qrc_file}.tmp "<RCC>\n    <qresource prefix=\"/\">\n${entries}    </qresource>\n</RCC>\n")
    configure_file(${qrc_file}.tmp ${qrc_file} COPYONLY)
endfunction()

file(GLOB_RECURSE _ui_files CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/src/*.qml ${CMAKE_CURRENT_SOURCE_DIR}/src/*.js
    ${CMAKE_CURRENT_SOURCE_DIR}/static/*.qml ${CMAKE_CURRENT_SOURCE_DIR}/static/*.js
    ${CMAKE_CURRENT_SOURCE_DIR}/dynamic/*.js)
list(APPEND _ui_files ${CMAKE_CURRENT_SOURCE_DIR}/static/qmldir)
list(SORT _ui_files)
_vendrix_write_qrc(${VENDRIX_QRC_DIR}/vendrix.qrc ${CMAKE_CURRENT_SOURCE_DIR} ${_ui_files})

file(GLOB_RECURSE _font_files ${VENDRIX_STAGED_DIR}/*.ttf ${VENDRIX_STAGED_DIR}/*.otf)
list(SORT _font_files)
_vendrix_write_qrc(${VENDRIX_QRC_DIR}/fonts.qrc ${VENDRIX_STAGED_DIR} ${_font_files})

file(GLOB _fontawesome_files CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/FontAwesome/*.qml ${CMAKE_CURRENT_SOURCE_DIR}/FontAwesome/qmldir)
_vendrix_write_qrc(${VENDRIX_QRC_DIR}/fontawesome.qrc ${CMAKE_CURRENT_SOURCE_DIR} ${_fontawesome_files})

_vendrix_write_qrc(${VENDRIX_QRC_DIR}/icons.qrc ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/icons/update.png)

# Sources for the executable: compiled documents, their loader and the data.
# They are custom-command outputs, so the executable is defined in this
# directory (the top-level CMakeLists.txt), next to the rules that make them.
qtquick_compiler_add_resources(VENDRIX_RESOURCES
    ${VENDRIX_QRC_DIR}/vendrix.qrc ${VENDRIX_QRC_DIR}/fontawesome.qrc ${VENDRIX_QRC_DIR}/icons.qrc)
