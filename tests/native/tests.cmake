# The probe of the platform calls that the native portability layer stands in
# for: recorded under Wine, reproduced by the layer (native/CMakeLists.txt).
if(NOT QVR_32BIT)
    qvr_add_test(layer_probe_test SOURCES native/layer_probe.cpp native/layer_probe_test.cpp)
    target_compile_definitions(layer_probe_test PRIVATE
        QVR_PROBE_DIR="Z:${CMAKE_CURRENT_SOURCE_DIR}/native")
    if(QVR_LOCALE_DIR)
        add_test(NAME layer_probe_test_cp932 COMMAND layer_probe_test)
        set_tests_properties(layer_probe_test_cp932 PROPERTIES ENVIRONMENT
            "LOCPATH=${QVR_LOCALE_DIR};LC_ALL=ja_JP.UTF-8")
    endif()
endif()
