# The checkout of standard-item receipts (StandartPay, StandartPayResult) and its printout.
target_sources(calvane_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FeeDetailSheet.cpp ${CMAKE_CURRENT_LIST_DIR}/FeeDetailSheet.h)
target_sources(calvane_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/StandardCheckoutForm.cpp ${CMAKE_CURRENT_LIST_DIR}/StandardCheckoutForm.h
  ${CMAKE_CURRENT_LIST_DIR}/StandardReceiptPick.cpp ${CMAKE_CURRENT_LIST_DIR}/StandardReceiptPick.h)
target_sources(calvane_dialogs PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/StandardCheckoutDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/StandardCheckoutDialog.h
  ${CMAKE_CURRENT_LIST_DIR}/StandardCheckoutDialog.ui)
