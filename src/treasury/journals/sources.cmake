list(APPEND KV_TREASURY_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Journals.h
    ${CMAKE_CURRENT_LIST_DIR}/Journals.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JournalModel.h
    ${CMAKE_CURRENT_LIST_DIR}/JournalModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/f_jrnl2.h
    ${CMAKE_CURRENT_LIST_DIR}/f_jrnl2.cpp)
