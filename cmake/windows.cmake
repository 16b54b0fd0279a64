# The real installer: a GUI executable that imports only system DLLs.
enable_language(RC)

add_executable(setup WIN32 ${PRODUCT_SOURCES} ${CMAKE_SOURCE_DIR}/resources/setup.rc)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/resources/setup.rc APPEND PROPERTY OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/dialogs.rc;${CMAKE_SOURCE_DIR}/resources/moralume.ico")
target_include_directories(setup PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(setup PRIVATE -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections)
target_link_options(setup PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
target_link_libraries(setup PRIVATE z)
set_target_properties(setup PROPERTIES OUTPUT_NAME setup SUFFIX .exe)
if(CMAKE_BUILD_TYPE STREQUAL "MinSizeRel")
  target_link_options(setup PRIVATE -s)
endif()
