# The walk-in standard fee: catalogue items paid at once (StandartPayForNoCard).
target_sources(calvane_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WalkinStandardSheet.cpp ${CMAKE_CURRENT_LIST_DIR}/WalkinStandardSheet.h)
