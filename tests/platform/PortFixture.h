// A temporary port directory in $RQ27M_PORTS and pseudo-terminals linked into it as COM ports.
#pragma once

#include "platform/ComPorts.h"
#include "platform/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

class TPortDirFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/rq27m-ports-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        FDir = tmpl;
        const char* old = std::getenv("RQ27M_PORTS");
        FHadOld = old != nullptr;
        if (old)
            FOld = old;
        setenv("RQ27M_PORTS", FDir.c_str(), 1);
    }
    void TearDown() override
    {
        FPtys.clear();
        std::system(("rm -rf '" + FDir + "'").c_str());
        if (FHadOld)
            setenv("RQ27M_PORTS", FOld.c_str(), 1);
        else
            unsetenv("RQ27M_PORTS");
    }
    // A new pseudo-terminal linked as COM n.
    TPseudoTerminal& AddPort(unsigned n)
    {
        FPtys.push_back(std::make_unique<TPseudoTerminal>());
        TPseudoTerminal& pty = *FPtys.back();
        std::string error;
        EXPECT_TRUE(pty.Open(&error)) << error;
        EXPECT_TRUE(LinkComPort(n, pty.SlavePath(), &error)) << error;
        return pty;
    }
    const std::string& Dir() const { return FDir; }

private:
    std::string FDir, FOld;
    bool FHadOld = false;
    std::vector<std::unique_ptr<TPseudoTerminal>> FPtys;
};
