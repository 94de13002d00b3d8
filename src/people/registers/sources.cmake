list(APPEND KV_PEOPLE_SOURCES
    registers/PersonStore.h registers/PersonStore.cpp
    registers/PersonRegister.h registers/PersonRegister.cpp
    registers/j_AGENT.h registers/J_Chauff.h registers/J_clients.h)
