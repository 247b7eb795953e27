# Tests of queueing, Inbox maintenance, folder listings and the text export,
# with the rescanning Inbox maintenance as the oracle of the single-scan one.
target_sources(mivex_store_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/folder_listing_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/inbox_maintenance_oracle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/inbox_maintenance_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/operations_support.cpp
  ${CMAKE_CURRENT_LIST_DIR}/queueing_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/store_write_failure_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_export_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/write_failure_injection.cpp
)
