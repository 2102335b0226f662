#include "platform/win32/ole32/objbase.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(Ole32, InitialisationCountsPerThread)
{
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    HRESULT inThread = E_FAIL;
    std::thread([&] { inThread = CoInitializeEx(nullptr, COINIT_MULTITHREADED); CoUninitialize(); }).join();
    EXPECT_EQ(inThread, S_OK);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
}

} // namespace
