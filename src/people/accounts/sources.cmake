list(APPEND KV_PEOPLE_SOURCES accounts/Accounts.h accounts/Accounts.cpp)
