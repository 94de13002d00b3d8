list(APPEND KV_PEOPLE_SOURCES
    accounts/Accounts.h accounts/Accounts.cpp
    accounts/AccountScreen.h accounts/AccountScreen.cpp
    accounts/PersonAccount.h accounts/PersonAccount.cpp)
list(APPEND KV_PEOPLE_SOURCES
    accounts/MVM_FOND.h accounts/MVM_FOND.cpp
    accounts/FundMovement.h accounts/FundMovement.cpp)
