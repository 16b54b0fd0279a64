# Linux build of the product against win32sim/, where the tests, sanitizers and fuzzers run.
if(SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(ZLIB REQUIRED)

add_subdirectory(win32sim)

add_library(moralume STATIC ${PRODUCT_SOURCES})
target_include_directories(moralume PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(moralume PUBLIC win32sim ZLIB::ZLIB)

enable_testing()
add_subdirectory(tests)
