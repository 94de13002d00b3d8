list(APPEND KV_CORE_SOURCES
    passwords/Form_v2.h passwords/Form_v2.cpp
    passwords/New_MPS.h passwords/New_MPS.cpp)
