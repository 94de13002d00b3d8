list(APPEND KV_RENTALS_SOURCES
    contracts/RentalAmount.h contracts/Rentals.h contracts/Rentals.cpp
    contracts/F_Location.h contracts/F_Location.cpp)
