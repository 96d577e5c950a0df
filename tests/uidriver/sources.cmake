# The UI driver the Windows tests use to operate dialogs and take screenshots.
add_library(uidriver STATIC
    ${CMAKE_SOURCE_DIR}/tests/uidriver/UiDriver.cpp
    ${CMAKE_SOURCE_DIR}/tests/uidriver/Png.cpp)
target_include_directories(uidriver PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(uidriver PUBLIC ${ZLIB_STATIC} gdi32 user32)
