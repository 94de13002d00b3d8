# The pay documents printed from the pay screen, and the pay slip screen FPaye.
list(APPEND KV_PAYROLL_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PayDocuments.h ${CMAKE_CURRENT_LIST_DIR}/PayDocuments.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FPaye.h ${CMAKE_CURRENT_LIST_DIR}/FPaye.cpp)
