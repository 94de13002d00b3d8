list(APPEND KV_PEOPLE_SOURCES
    search/ClientSearch.h search/ClientSearch.cpp
    search/Q_Client.h search/Q_Client.cpp)
