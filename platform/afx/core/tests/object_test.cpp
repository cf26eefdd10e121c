#include "platform/afx/core/exception.h"
#include "platform/afx/core/object.h"

#include <gtest/gtest.h>

#include <cstring>

class CShape : public CObject {
    DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
public:
    int radius = 7;
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

TEST(RuntimeClass, KindAndDynamicCreation) {
    CCircle c;
    EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(c.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(CShape().IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_STREQ(c.GetRuntimeClass()->m_lpszClassName, "CCircle");

    CObject* made = RUNTIME_CLASS(CCircle)->CreateObject();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(static_cast<CCircle*>(made)->radius, 7);
    delete made;
    EXPECT_EQ(RUNTIME_CLASS(CShape)->CreateObject(), nullptr) << "not creatable";

    CObject* byName = CRuntimeClass::CreateObject("CCircle");
    ASSERT_NE(byName, nullptr);
    EXPECT_NE(DYNAMIC_DOWNCAST(CCircle, byName), nullptr);
    delete byName;
    EXPECT_EQ(CRuntimeClass::FromName("CNoSuchClass"), nullptr);
}

TEST(Exceptions, ThrownAsPointersAndCaughtByBase) {
    bool caught = false;
    TRY { AfxThrowFileException(CFileException::fileNotFound, 2, "C:\\data\\x.bin"); }
    CATCH(CMemoryException, e) { e->Delete(); }
    AND_CATCH(CException, e) {
        caught = true;
        auto* fe = DYNAMIC_DOWNCAST(CFileException, e);
        ASSERT_NE(fe, nullptr);
        EXPECT_EQ(fe->m_cause, CFileException::fileNotFound);
        char text[128];
        EXPECT_TRUE(e->GetErrorMessage(text, sizeof text));
        EXPECT_NE(std::strstr(text, "x.bin"), nullptr);
        char tiny[4];
        EXPECT_TRUE(e->GetErrorMessage(tiny, sizeof tiny));
        EXPECT_EQ(std::strlen(tiny), 3u) << "truncated to the buffer";
        e->Delete();
    }
    END_CATCH
    EXPECT_TRUE(caught);
}
