# Linux build of the product against win32sim/, where the tests, sanitizers and fuzzers run.
# The libFuzzer targets (preset "fuzz", clang) take the sanitizers everywhere
# and coverage feedback from the product library alone.
option(FUZZ "Build the libFuzzer targets of tests/fuzz (clang)" OFF)
if(SANITIZE OR FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
# The extraction's two threads under ThreadSanitizer (preset "host-tsan").
option(THREAD_SANITIZE "Build the host targets with ThreadSanitizer" OFF)
if(THREAD_SANITIZE)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

find_package(ZLIB REQUIRED)

add_subdirectory(win32sim)

add_library(moralume STATIC ${PRODUCT_SOURCES})
target_include_directories(moralume PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(moralume PUBLIC win32sim ZLIB::ZLIB)
if(FUZZ)
  target_compile_options(moralume PRIVATE -fsanitize=fuzzer-no-link)
endif()

include(${CMAKE_SOURCE_DIR}/cmake/payload.cmake)

# The resource script compiled as for Windows; win32sim serves it to the product.
find_program(RESOURCE_COMPILER NAMES x86_64-w64-mingw32-windres i686-w64-mingw32-windres REQUIRED)
file(GLOB RESOURCE_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc ${CMAKE_SOURCE_DIR}/resources/*.manifest ${CMAKE_SOURCE_DIR}/resources/*.h
     ${CMAKE_SOURCE_DIR}/resources/*.ico)
set(SETUP_RES ${CMAKE_BINARY_DIR}/setup.res)
add_custom_command(
  OUTPUT ${SETUP_RES}
  COMMAND ${RESOURCE_COMPILER} -I ${CMAKE_SOURCE_DIR}/resources -I ${CMAKE_SOURCE_DIR} -I ${CMAKE_BINARY_DIR}
          -O res -i ${CMAKE_SOURCE_DIR}/resources/setup.rc -o ${SETUP_RES}
  DEPENDS ${RESOURCE_INPUTS} ${PAYLOAD_BIN} ${PAYLOAD_CRC} ${PAYLOAD_RC}
  VERBATIM)
add_custom_target(setup_resources ALL DEPENDS ${SETUP_RES})

enable_testing()
add_subdirectory(tests)
if(FUZZ)
  add_subdirectory(tests/fuzz)
endif()
