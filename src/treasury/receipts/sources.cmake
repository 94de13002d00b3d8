list(APPEND KV_TREASURY_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Receipts.h
    ${CMAKE_CURRENT_LIST_DIR}/Receipts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptList.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/J_Recettes.h
    ${CMAKE_CURRENT_LIST_DIR}/J_Recettes.cpp)
