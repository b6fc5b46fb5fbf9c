#include <gtest/gtest.h>

#include "tool_stage.h"

TEST(SetUpSpriteTool, Runs) {
  tool_stage::ToolStage stage;
  stage.LoadCommonAssets();
  stage.SetUpTool();
  EXPECT_GT(tool::ShapeCount, 0);
}
