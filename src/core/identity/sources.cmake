list(APPEND KV_CORE_SOURCES
    identity/F_Identite.h identity/F_Identite.cpp)
