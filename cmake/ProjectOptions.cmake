# Warnings and sanitizers shared by every target of the project.
add_library(parcelo_options INTERFACE)
target_compile_options(parcelo_options INTERFACE -Wall -Wextra -Wpedantic)

if(PARCELO_SANITIZE)
    target_compile_options(parcelo_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(parcelo_options INTERFACE -fsanitize=address,undefined)
endif()

# Adds a GoogleTest executable registered with CTest.
# parcelo_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [QT])
function(parcelo_add_test)
    cmake_parse_arguments(T "QT" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main parcelo_options)
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    set(env "")
    if(T_QT)
        set(env "QT_QPA_PLATFORM=offscreen")
    endif()
    gtest_discover_tests(${T_NAME}
        PROPERTIES LABELS "${T_LABELS}" ENVIRONMENT "${env}"
        DISCOVERY_TIMEOUT 60)
endfunction()
