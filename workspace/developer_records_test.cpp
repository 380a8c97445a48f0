#include "workspace/developer_records.h"

#include <gtest/gtest.h>

#include <memory>

#include "scoring/scoring_settings.h"
#include "workspace/project.h"

namespace codeburg {
namespace {

class DeveloperRecordsTest : public ::testing::Test {
protected:
    Project* Add(const std::string& developer, int eloc, int perMethod, float comments,
                 float overall)
    {
        auto project = std::make_unique<Project>(&m_settings, nullptr, "p");
        project->developer = developer;
        project->stats->measures.totalEloc = eloc;
        project->stats->measures.elocPerMethod = perMethod;
        project->stats->measures.commentRatio = comments;
        project->stats->measures.overallScore = overall;
        m_projects.push_back(std::move(project));
        return m_projects.back().get();
    }
    std::vector<Project*> All() const
    {
        std::vector<Project*> all;
        for (const auto& p : m_projects) all.push_back(p.get());
        return all;
    }

    ScoringSettings m_settings;
    std::vector<std::unique_ptr<Project>> m_projects;
};

TEST_F(DeveloperRecordsTest, GroupsWithoutRegardToCaseKeepingTheFirstSpelling)
{
    Add("Ada", 100, 10, 0.2f, 0.5f);
    Add("", 7, 0, 0.0f, 0.0f);
    Add("ADA", 50, 20, 0.4f, 1.0f);
    const auto records = CollectDevelopers(All());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].name, "Ada");
    EXPECT_EQ(records[0].projects, 2);
    EXPECT_EQ(records[0].eloc, 150);
    EXPECT_FLOAT_EQ(records[0].elocPerMethod, 15.0f);
    EXPECT_FLOAT_EQ(records[0].comments, 0.3f);
    EXPECT_FLOAT_EQ(records[0].overall, 0.75f);
    EXPECT_EQ(records[1].name, "Unknown");
    EXPECT_EQ(records[1].eloc, 7);
}

TEST_F(DeveloperRecordsTest, NeverBuiltProjectsAverageToZero)
{
    Add("Bob", 0, 0, 0.0f, 0.0f);
    Project* lost = Add("bob", 0, 0, 0.0f, 0.0f);
    lost->stats.reset();  // a project whose statistics are gone counts with zeros
    const auto records = CollectDevelopers(All());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].projects, 2);
    EXPECT_FLOAT_EQ(records[0].overall, 0.0f);
    EXPECT_TRUE(CollectDevelopers({}).empty());
}

TEST_F(DeveloperRecordsTest, SameRecordsComparesRowsExactly)
{
    Add("Ada", 100, 10, 0.2f, 0.5f);
    const auto before = CollectDevelopers(All());
    EXPECT_TRUE(SameRecords(before, CollectDevelopers(All())));
    m_projects[0]->developer = "ada";  // spelling shows in the list
    EXPECT_FALSE(SameRecords(before, CollectDevelopers(All())));
    EXPECT_FALSE(SameRecords(before, {}));
}

}  // namespace
}  // namespace codeburg
