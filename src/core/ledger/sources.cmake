list(APPEND KV_CORE_SOURCES ledger/Ledger.h ledger/Ledger.cpp ledger/LedgerClasses.h ledger/KeptTotals.h ledger/KeptTotals.cpp)
