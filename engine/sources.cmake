set(ENGINE_PORTABLE_SOURCES engine/PayloadReader.cpp engine/PayloadWriter.cpp engine/PayloadName.cpp)
set(ENGINE_WIN32_SOURCES)
