list(APPEND KV_CORE_SOURCES reports/ReportRoutine.h reports/ReportRoutine.cpp)
