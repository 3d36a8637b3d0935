# One INTERFACE target carries the project's warnings and Qt settings, so every
# target of ours links it and nothing else has to repeat them.
add_library(varnock_strict INTERFACE)

target_compile_options(varnock_strict INTERFACE
    -Wall -Wextra -Werror -Wold-style-cast -Wnon-virtual-dtor)

target_compile_definitions(varnock_strict INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_USE_QSTRINGBUILDER
    QT_NO_KEYWORDS)

if(VARNOCK_FUZZ)
    # Everything fuzzed is built with coverage for libFuzzer; the fuzz targets add its main.
    target_compile_options(varnock_strict INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(VARNOCK_SANITIZE)
    target_compile_options(varnock_strict INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(varnock_strict INTERFACE -fsanitize=address,undefined)
endif()
