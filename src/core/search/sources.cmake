list(APPEND KV_CORE_SOURCES search/SearchDialog.h search/SearchDialog.cpp)
