// The category manager: Implemented / Required Categories keys of a class.
#include <gtest/gtest.h>

#include "platform/com/comcat.h"
#include "tests/support/environment.h"
#include "tests/support/registry_contents.h"

using testsupport::KeyExists;
using testsupport::ListKeys;
using testsupport::TempRegistry;
using testsupport::WriteString;

namespace {

constexpr CLSID kClass = MakeGuid("952FB6E1-477A-4770-AF38-661F9AF5AB8D");
constexpr CATID kTransformCategory = MakeGuid("C501EDBE-9E70-11D1-9053-00C04FD9189D");
constexpr CATID kOtherCategory = MakeGuid("40FC6ED5-2438-11CF-A3DB-080036F12502");
const std::string kClassKey = "CLSID\\{952fb6e1-477a-4770-af38-661f9af5ab8d}";

ComPtr<ICatRegister> NewManager() {
    ComPtr<ICatRegister> manager;
    EXPECT_EQ(CreateStdComponentCategoriesMgr(nullptr, IID_ICatRegister, manager.ReleaseAndGetVoidAddress()), S_OK);
    return manager;
}

}  // namespace

TEST(ComponentCategories, ImplementedCategoriesRoundTrip) {
    TempRegistry reg;
    ASSERT_EQ(WriteString(HKEY_CLASSES_ROOT, kClassKey.c_str(), "", "Quillet Air Brush"), ERROR_SUCCESS);
    auto manager = NewManager();
    const CATID both[] = {kTransformCategory, kOtherCategory};
    ASSERT_EQ(manager->RegisterClassImplCategories(kClass, 2, both), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CLASSES_ROOT, kClassKey.c_str()),
              (std::vector<std::string>{" @ = Quillet Air Brush", "Implemented Categories",
                                        "Implemented Categories\\{40fc6ed5-2438-11cf-a3db-080036f12502}",
                                        "Implemented Categories\\{c501edbe-9e70-11d1-9053-00c04fd9189d}"}));
    reg.ForceReload();
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT,
                          (kClassKey + "\\Implemented Categories\\{c501edbe-9e70-11d1-9053-00c04fd9189d}").c_str()));

    // Removing one keeps the folder; removing the last removes it, never the class key.
    ASSERT_EQ(manager->UnRegisterClassImplCategories(kClass, 1, &kOtherCategory), S_OK);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, (kClassKey + "\\Implemented Categories").c_str()));
    ASSERT_EQ(manager->UnRegisterClassImplCategories(kClass, 1, &kTransformCategory), S_OK);
    EXPECT_EQ(ListKeys(HKEY_CLASSES_ROOT, kClassKey.c_str()), std::vector<std::string>{" @ = Quillet Air Brush"});
    // Again, with nothing there: still fine.
    EXPECT_EQ(manager->UnRegisterClassImplCategories(kClass, 1, &kTransformCategory), S_OK);
}

TEST(ComponentCategories, RequiredCategoriesAndArguments) {
    TempRegistry reg;
    auto manager = NewManager();
    ASSERT_EQ(manager->RegisterClassReqCategories(kClass, 1, &kOtherCategory), S_OK);
    ASSERT_EQ(manager->RegisterClassImplCategories(kClass, 1, &kTransformCategory), S_OK);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT,
                          (kClassKey + "\\Required Categories\\{40fc6ed5-2438-11cf-a3db-080036f12502}").c_str()));
    ASSERT_EQ(manager->UnRegisterClassReqCategories(kClass, 1, &kOtherCategory), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, (kClassKey + "\\Required Categories").c_str()));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, (kClassKey + "\\Implemented Categories").c_str()));

    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateStdComponentCategoriesMgr(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CreateStdComponentCategoriesMgr(manager.Get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(manager->RegisterClassImplCategories(kClass, 0, nullptr), S_OK);
    EXPECT_EQ(manager->RegisterClassImplCategories(kClass, 1, nullptr), E_POINTER);
    reg.WriteText("not a registry file\n");
    EXPECT_EQ(manager->RegisterClassImplCategories(kClass, 1, &kOtherCategory), HRESULT_FROM_WIN32(ERROR_BADDB));
}
