# Queueing, Inbox maintenance, folder listings and the text export, built on
# the record model of this folder.
target_sources(mivex_store PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/export_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fill_sender_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_listing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/inbox_listing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/join_parts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/outbox_listing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/queueing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/remove_duplicates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sent_listing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_export.cpp
  ${CMAKE_CURRENT_LIST_DIR}/time_text.cpp
)
