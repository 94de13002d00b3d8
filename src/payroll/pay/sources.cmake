list(APPEND KV_PAYROLL_SOURCES pay/Pay.h pay/Pay.cpp pay/Salaires.h pay/Salaires.cpp pay/PayParts.h pay/PayParts.cpp
    pay/PayForm.h pay/PayForm.cpp pay/AdvancesPanel.h pay/AdvancesPanel.cpp pay/DocumentsPanel.h pay/DocumentsPanel.cpp)
