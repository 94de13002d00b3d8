# About box, presentation, picture choice, the main window's picture array and the built-in artwork.
# Included after kv_core is defined: the pictures are compiled into the library as Qt resources
# (qt_add_resources takes care of registering them when the library is linked statically).
target_sources(kv_core PRIVATE
    about/Deployment.h
    about/Pictures.h about/Pictures.cpp
    about/PictureButton.h about/PictureButton.cpp
    about/MainPictures.h about/MainPictures.cpp
    about/Auteur.h about/Auteur.cpp
    about/F_HLP.h about/F_HLP.cpp
    about/FP_imge.h about/FP_imge.cpp
    about/Guide.h about/Guide.cpp)
target_link_libraries(kv_core PUBLIC Qt6::Svg)

qt_add_resources(kv_core "pictures"
    PREFIX "/pictures"
    BASE "${CMAKE_SOURCE_DIR}/resources"
    FILES
        ${CMAKE_SOURCE_DIR}/resources/Droit.svg
        ${CMAKE_SOURCE_DIR}/resources/Gauche.svg
        ${CMAKE_SOURCE_DIR}/resources/Cadre_V.svg
        ${CMAKE_SOURCE_DIR}/resources/shortcuts/Chauffeurs.svg
        ${CMAKE_SOURCE_DIR}/resources/shortcuts/Clients.svg
        ${CMAKE_SOURCE_DIR}/resources/shortcuts/Salaires.svg
        ${CMAKE_SOURCE_DIR}/resources/shortcuts/Recettes.svg
        ${CMAKE_SOURCE_DIR}/resources/shortcuts/Journal.svg
        ${CMAKE_SOURCE_DIR}/resources/shortcuts/Caisse.svg
        ${CMAKE_SOURCE_DIR}/resources/shortcuts/Quitter.svg
        ${CMAKE_SOURCE_DIR}/resources/shortcuts/Vehicules.svg
        ${CMAKE_SOURCE_DIR}/resources/shortcuts/Agents.svg
        ${CMAKE_SOURCE_DIR}/resources/buttons/Appliquer_Droit.svg
        ${CMAKE_SOURCE_DIR}/resources/buttons/Appliquer_Gauche.svg
        ${CMAKE_SOURCE_DIR}/resources/buttons/Fermer.svg)

# The user guide's pages, read by the Guide window.
file(GLOB KV_GUIDE_PAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/guide/*.html ${CMAKE_SOURCE_DIR}/docs/guide/*.css
     ${CMAKE_SOURCE_DIR}/docs/guide/*.png ${CMAKE_SOURCE_DIR}/docs/guide/*.svg)
qt_add_resources(kv_core "guide"
    PREFIX "/guide"
    BASE "${CMAKE_SOURCE_DIR}/docs/guide"
    FILES ${KV_GUIDE_PAGES})

# The program's icon, shown by its windows (the desktop's copy is installed by packaging/).
qt_add_resources(kv_core "icon"
    PREFIX "/icon"
    BASE "${CMAKE_SOURCE_DIR}/packaging"
    FILES ${CMAKE_SOURCE_DIR}/packaging/kavorel.svg)
