# Identification, payroll parameters, employer charges, deletion of pays, pay slip and pay documents.
list(APPEND KV_PAYROLL_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PayrollSettings.h ${CMAKE_CURRENT_LIST_DIR}/PayrollSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Identif.h ${CMAKE_CURRENT_LIST_DIR}/Identif.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Params.h ${CMAKE_CURRENT_LIST_DIR}/Params.cpp)
