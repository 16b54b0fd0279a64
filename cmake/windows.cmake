# The real installer: a GUI executable that imports only system DLLs.
enable_language(RC)

add_executable(setup WIN32 ${PRODUCT_SOURCES} ${CMAKE_SOURCE_DIR}/resources/setup.rc)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/resources/setup.rc APPEND PROPERTY OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/dialogs.rc;${CMAKE_SOURCE_DIR}/resources/moralume.ico")
target_include_directories(setup PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(setup PRIVATE -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections)
target_link_options(setup PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
target_link_libraries(setup PRIVATE z)
set_target_properties(setup PROPERTIES OUTPUT_NAME setup SUFFIX .exe)
# DetectWindows and lstrcmpni exported by name and ordinal, module "tova.ent".
set(EXPORTS_DEF ${CMAKE_SOURCE_DIR}/shell/exports.def)
target_link_options(setup PRIVATE ${EXPORTS_DEF})
set_property(TARGET setup APPEND PROPERTY LINK_DEPENDS ${EXPORTS_DEF})

# The payload resource: payload.rc and payload.bin live in the binary dir.
include(${CMAKE_SOURCE_DIR}/cmake/payload.cmake)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/resources/setup.rc APPEND PROPERTY INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR})
set_property(SOURCE ${CMAKE_SOURCE_DIR}/resources/setup.rc APPEND PROPERTY OBJECT_DEPENDS "${PAYLOAD_BIN};${PAYLOAD_RC}")
add_dependencies(setup payload)
if(CMAKE_BUILD_TYPE STREQUAL "MinSizeRel")
  target_link_options(setup PRIVATE -s)
endif()

# The end-to-end tests' dialog driver runs beside the installer under wine64.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/e2e/driver ${CMAKE_BINARY_DIR}/e2e-driver)
endif()
