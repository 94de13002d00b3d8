list(APPEND KV_TREASURY_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Receipts.h
    ${CMAKE_CURRENT_LIST_DIR}/Receipts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptModel.h
    ${CMAKE_CURRENT_LIST_DIR}/ReceiptModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/J_Recettes.h
    ${CMAKE_CURRENT_LIST_DIR}/J_Recettes.cpp)
