# The application bundle on a Mac: Velmora.app with its Info.plist, the
# string table and the icon in Resources, and a `deploy` target that copies
# Qt into the bundle with macdeployqt and then signs the whole bundle.
set(bundle_dir ${PROJECT_SOURCE_DIR}/packaging/macos)

# The icon is made from the window's SVG at build time (rsvg-convert from
# Homebrew's librsvg, iconutil from the system), so the SVG stays its one source.
find_program(VELMORA_RSVG_CONVERT rsvg-convert)
find_program(VELMORA_ICONUTIL iconutil)
set(icon_sources "")
if(VELMORA_RSVG_CONVERT AND VELMORA_ICONUTIL)
  set(iconset ${CMAKE_CURRENT_BINARY_DIR}/Velmora.iconset)
  set(icns ${CMAKE_CURRENT_BINARY_DIR}/Velmora.icns)
  set(svg ${PROJECT_SOURCE_DIR}/src/ui/qml/AppIconImage.svg)
  set(icon_commands COMMAND ${CMAKE_COMMAND} -E make_directory ${iconset})
  foreach(size 16 32 128 256 512)
    math(EXPR double "${size} * 2")
    list(APPEND icon_commands
         COMMAND ${VELMORA_RSVG_CONVERT} -w ${size} -h ${size} -o ${iconset}/icon_${size}x${size}.png ${svg}
         COMMAND ${VELMORA_RSVG_CONVERT} -w ${double} -h ${double} -o ${iconset}/icon_${size}x${size}@2x.png ${svg})
  endforeach()
  add_custom_command(OUTPUT ${icns} ${icon_commands}
                     COMMAND ${VELMORA_ICONUTIL} -c icns -o ${icns} ${iconset}
                     DEPENDS ${svg} VERBATIM)
  set(icon_sources ${icns})
  set_source_files_properties(${icns} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
else()
  message(WARNING "rsvg-convert or iconutil not found: Velmora.app gets no icon (brew install librsvg).")
endif()

set(strings ${PROJECT_SOURCE_DIR}/resources/en.strings)
set_source_files_properties(${strings} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
target_sources(velmora PRIVATE ${strings} ${icon_sources})

set_target_properties(velmora PROPERTIES
  OUTPUT_NAME Velmora
  MACOSX_BUNDLE TRUE
  MACOSX_BUNDLE_INFO_PLIST ${bundle_dir}/Info.plist.in
  MACOSX_BUNDLE_ICON_FILE Velmora
  MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
  MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION})

# Qt's frameworks and the QML modules the window imports, copied into the
# bundle so it runs on a Mac without Homebrew's Qt. Signing comes after: the
# linker's ad hoc signature does not cover what macdeployqt adds or rewrites,
# and Apple silicon kills an application whose signature no longer matches.
# macdeployqt signs each framework and plugin with the hardened runtime; the
# bundle itself is signed last, with its entitlements, and verified.
set(VELMORA_SIGN_IDENTITY "-" CACHE STRING "codesign identity for Velmora.app (- signs ad hoc)")
if(VELMORA_SIGN_IDENTITY STREQUAL "-")
  set(entitlements ${bundle_dir}/Velmora-adhoc.entitlements)
  set(timestamp "")
else()
  set(entitlements ${bundle_dir}/Velmora.entitlements)
  set(timestamp --timestamp)
endif()
find_program(VELMORA_MACDEPLOYQT macdeployqt HINTS "${QT6_INSTALL_PREFIX}/bin" "${Qt6_DIR}/../../../bin")
if(VELMORA_MACDEPLOYQT)
  add_custom_target(deploy
    COMMAND ${VELMORA_MACDEPLOYQT} $<TARGET_BUNDLE_DIR:velmora> -qmldir=${PROJECT_SOURCE_DIR}/src/ui/qml -always-overwrite
            -codesign=${VELMORA_SIGN_IDENTITY} -hardened-runtime ${timestamp}
    COMMAND codesign --force --options runtime ${timestamp} --entitlements ${entitlements}
            --sign ${VELMORA_SIGN_IDENTITY} $<TARGET_BUNDLE_DIR:velmora>
    COMMAND codesign --verify --deep --strict --verbose=2 $<TARGET_BUNDLE_DIR:velmora>
    DEPENDS velmora VERBATIM)
else()
  message(WARNING "macdeployqt not found beside Qt's tools: no deploy target.")
endif()
