# One INTERFACE target carries the warnings, definitions and sanitizer flags every target of ours shares.
add_library(qp_options INTERFACE)
target_compile_features(qp_options INTERFACE cxx_std_20)

target_compile_options(qp_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual)
if(QP_WERROR)
    target_compile_options(qp_options INTERFACE -Werror)
endif()

target_compile_definitions(qp_options INTERFACE
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_USE_QSTRINGBUILDER
    QT_NO_URL_CAST_FROM_STRING
    QT_DISABLE_DEPRECATED_BEFORE=0x060400)

if(QP_SANITIZE)
    string(REPLACE ";" "," _qp_sanitizers "${QP_SANITIZE}")
    # GCC's "undefined" leaves out float-cast-overflow (a double out of an integer's range): the presets name
    # it beside, and a finding of it stops the run as the others do.
    set(_qp_no_recover undefined)
    if("float-cast-overflow" IN_LIST QP_SANITIZE)
        string(APPEND _qp_no_recover ",float-cast-overflow")
    endif()
    target_compile_options(qp_options INTERFACE -fsanitize=${_qp_sanitizers} -fno-omit-frame-pointer
                                                -fno-sanitize-recover=${_qp_no_recover})
    target_link_options(qp_options INTERFACE -fsanitize=${_qp_sanitizers})
endif()
