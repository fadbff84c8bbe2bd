# qp_add_test_suite(NAME <target> SOURCES <files...> LIBS <targets...> [GUI])
# One executable per source folder; every GoogleTest case becomes its own ctest entry, and the executable is
# listed in the build folder's test-executables.txt, for running each one whole (scripts/test-whole.sh). The
# test mains in tests/support point HOME, QUORVANE_ROOT and TMPDIR into a fresh sandbox before any case runs.
function(qp_add_test_suite)
    cmake_parse_arguments(ARG "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${ARG_NAME} ${ARG_SOURCES})
    if(ARG_GUI)
        set(_main qp_testmain_gui)
    else()
        set(_main qp_testmain)
    endif()
    target_link_libraries(${ARG_NAME} PRIVATE ${_main} ${ARG_LIBS} qp_options)
    set_property(GLOBAL APPEND PROPERTY QP_TEST_SUITES ${ARG_NAME})
    gtest_discover_tests(${ARG_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "LANG=C.UTF-8;LC_ALL=C.UTF-8;QT_QPA_PLATFORM=offscreen"
                   TIMEOUT 300)
endfunction()
