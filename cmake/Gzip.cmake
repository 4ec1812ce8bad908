# tabulon_gzip(TARGET input output)
# Compresses `input` into `output` as Debian wants manual pages and changelogs: best
# compression, no file name or time stamp inside, so the package is the same on every build.
# `output` is built with the default target `TARGET`.
function(tabulon_gzip target input output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -9 -n -c ${input} > ${output}
        DEPENDS ${input}
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
