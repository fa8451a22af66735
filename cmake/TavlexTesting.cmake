# tavlex_add_gtest(NAME SOURCES src... LIBS lib... [LABELS label...])
# A GoogleTest executable registered with ctest. Label "parsing" marks tests that the
# sanitizer build runs too; "gui" marks tests that need widgets.
function(tavlex_add_gtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        TAVLEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        TAVLEX_SHARED_DIR="${CMAKE_SOURCE_DIR}/../shared")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        LABELS "${T_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TAVLEX_SCREEN_DPI=96")
endfunction()

# tavlex_add_qtest(NAME SOURCES src... LIBS lib...): a Qt Test executable driving widgets offscreen.
function(tavlex_add_qtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
    target_compile_definitions(${name} PRIVATE
        TAVLEX_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        TAVLEX_SHARED_DIR="${CMAKE_SOURCE_DIR}/../shared")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        LABELS "gui;${T_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TAVLEX_SCREEN_DPI=96")
endfunction()

# tavlex_add_fuzzer(NAME SOURCES src... LIBS lib... [SEEDS dir]): a libFuzzer target, built only
# in the fuzzing build. Seeds are copied next to it as NAME_seeds/.
function(tavlex_add_fuzzer name)
    cmake_parse_arguments(T "" "SEEDS" "SOURCES;LIBS" ${ARGN})
    if(NOT TAVLEX_FUZZ)
        return()
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
