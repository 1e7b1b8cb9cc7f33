#include <gtest/gtest.h>
#include <tinyxml.h>

namespace {

TEST(XmlDocument, ParsesAnElementWithAttributesFromText)
{
    TiXmlDocument document;
    document.Parse("<object name=\"crate\"><mass value=\"2.5\"/></object>");
    ASSERT_FALSE(document.Error()) << document.ErrorDesc();
    TiXmlElement* root = document.RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Attribute("name"), "crate");
    double mass = 0;
    ASSERT_EQ(root->FirstChildElement("mass")->QueryDoubleAttribute("value", &mass), TIXML_SUCCESS);
    EXPECT_DOUBLE_EQ(mass, 2.5);
}

} // namespace
