#pragma once
// The fixture of the crawl tests: one local job site for a whole test suite, and for every test a
// FakeHost, an empty JobTable and a site whose record of requests starts empty.

#include <gtest/gtest.h>

#include "data/job_table.h"
#include "tests/crawler/local_site.h"
#include "tests/support/fake_host.h"

class SiteCrawlTest : public testing::Test {
protected:
    static void SetUpTestSuite() { site_ = new LocalSite; }
    static void TearDownTestSuite()
    {
        delete site_;
        site_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(site_->running());
        site_->clearRequests();
    }

    static inline LocalSite* site_ = nullptr;
    FakeHost host;
    JobTable table;
};
