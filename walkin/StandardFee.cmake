# The walk-in standard fee: catalogue items paid at once (StandartPayForNoCard).
target_sources(calvane_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WalkinStandardSheet.cpp ${CMAKE_CURRENT_LIST_DIR}/WalkinStandardSheet.h
  ${CMAKE_CURRENT_LIST_DIR}/WalkinStandardFeeForm.cpp ${CMAKE_CURRENT_LIST_DIR}/WalkinStandardFeeForm.h)
target_sources(calvane_dialogs PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WalkinStandardFeeDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/WalkinStandardFeeDialog.h
  ${CMAKE_CURRENT_LIST_DIR}/WalkinStandardFeeDialog.ui)
