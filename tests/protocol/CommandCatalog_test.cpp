// The command catalogue, frozen row by row.
#include "protocol/CommandCatalog.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandCatalogTest, Ports) {
  EXPECT_EQ(COMMAND_PORT, 24680);
  EXPECT_EQ(DISCOVERY_PORT, 24582);
}

struct Row {
  std::int32_t request;
  std::int32_t reply;
  int dataLen;
  Destination destination;
  int pauseMs;
};

constexpr Destination kSel = Destination::SelectedReader;

// Transcribed from the catalogue table.
const Row kSpecTable[] = {
    {0, 1, 0, kSel, 0},
    {2, 3, 0, Destination::Broadcast, 0},
    {6, 7, 4, kSel, 10},
    {8, 9, 4, kSel, 10},
    {10, 11, 4, kSel, 10},
    {12, 13, 36, kSel, 0},
    {14, 15, 36, kSel, 0},
    {16, 17, 4, kSel, 10},
    {18, 19, 4, kSel, 10},
    {20, 21, 4, kSel, 10},
    {22, 23, 4, kSel, 10},
    {24, 25, 200, kSel, 0},
    {28, 29, 8, kSel, 10},
    {30, 31, 0, kSel, 0},
    {32, 33, 96, Destination::ReaderDiscoveryPort, 0},
    {38, 39, 20, kSel, 10},
    {40, 41, 4, kSel, 10},
    {42, 43, 108, kSel, 10},
    {44, 45, 72, kSel, 0},
};

TEST(CommandCatalogTest, EveryRowAsTheSpecTable) {
  ASSERT_EQ(COMMAND_COUNT, std::size(kSpecTable));
  for (const Row& row : kSpecTable) {
    SCOPED_TRACE(row.request);
    const CommandInfo* c = FindCommand(row.request);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->reply, row.reply);
    EXPECT_EQ(c->dataLen, row.dataLen);
    EXPECT_EQ(c->destination, row.destination);
    EXPECT_EQ(c->pauseMs, row.pauseMs);
    EXPECT_EQ(FindCommandByReply(row.reply), c);
  }
}

TEST(CommandCatalogTest, NamedIdentifiers) {
  const std::pair<std::int32_t, std::int32_t> named[] = {
      {CMD_READ_VERSION, 0},      {CMD_SEARCH, 2},
      {CMD_SET_OUTPUT_FORMAT, 6}, {CMD_SET_CARD_INPUT_FORMAT, 8},
      {CMD_SET_HID_FORMAT, 10},   {CMD_SET_BAR_PREFIX, 12},
      {CMD_SET_BAR_SUFFIX, 14},   {CMD_SET_LIGHT, 16},
      {CMD_SET_WORK_MODE, 18},    {CMD_SET_HIDDEN_CHOICE, 20},
      {CMD_SET_SPEAKER, 22},      {CMD_SET_CLOUD, 24},
      {CMD_SET_WIEGAND, 28},      {CMD_READ_PARAMS, 30},
      {CMD_SET_NETWORK, 32},      {CMD_SET_SERIAL, 38},
      {CMD_SET_RESTART, 40},      {CMD_SET_QR_PARAMS, 42},
      {CMD_SET_CARD_FIX, 44},     {CMD_READ_VERSION_REPLY, 1},
      {CMD_SEARCH_REPLY, 3},      {CMD_READ_PARAMS_REPLY, 31},
      {CMD_SET_SERIAL_REPLY, 39}, {CMD_SET_CARD_FIX_REPLY, 45},
  };
  for (const auto& [constant, value] : named) EXPECT_EQ(constant, value);
}

TEST(CommandCatalogTest, ReadLengthsOfTheReplies) {
  EXPECT_EQ(FindCommandByReply(1)->replyReadLen, 64);
  EXPECT_EQ(FindCommandByReply(3)->replyReadLen, 96);
  EXPECT_EQ(FindCommandByReply(19)->replyReadLen, 1);
  EXPECT_EQ(FindCommandByReply(21)->replyReadLen, 1);
  EXPECT_EQ(FindCommandByReply(23)->replyReadLen, 1);
  EXPECT_EQ(FindCommandByReply(31)->replyReadLen, 720);
  EXPECT_EQ(FindCommandByReply(39)->replyReadLen, 20);
  EXPECT_EQ(FindCommandByReply(7)->replyReadLen, 0);
  EXPECT_EQ(VERSION_TEXT_OFFSET, 16);
}

TEST(CommandCatalogTest, IdentifiersOutsideTheTable) {
  for (std::int32_t id : {4, 26, 34, 36, -2, 46, 1}) EXPECT_EQ(FindCommand(id), nullptr) << id;
  for (std::int32_t id : {5, 27, 35, 37, 0, 2, 46, -1}) {
    EXPECT_EQ(FindCommandByReply(id), nullptr) << id;
  }
}

}  // namespace
