list(APPEND KV_PAYROLL_SOURCES pay/Pay.h pay/Pay.cpp pay/Salaires.h pay/Salaires.cpp)
