<?xml version="1.0" encoding="UTF-8"?>
<!-- The ISBN (MARC 21 020 a, UNIMARC 010 a) without hyphens or its
     qualifier, and the title words. -->
<xsl:stylesheet version="1.0"
    xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
    xmlns:z="http://indexdata.com/zebra-2.0"
    xmlns:marc="http://www.loc.gov/MARC21/slim">
  <xsl:output method="xml" encoding="UTF-8" indent="yes"/>
  <xsl:template match="text()"/>
  <xsl:template match="/marc:record">
    <z:record z:id="{marc:controlfield[@tag='001']}" z:type="update">
      <xsl:for-each select="marc:datafield[@tag='020' or @tag='010']/marc:subfield[@code='a']">
        <z:index name="ISBN:w">
          <xsl:value-of select="translate(normalize-space(.), '-', '')"/>
        </z:index>
      </xsl:for-each>
      <xsl:for-each select="marc:datafield[@tag='245' or @tag='200']/marc:subfield[@code='a']">
        <z:index name="title:w">
          <xsl:value-of select="."/>
        </z:index>
      </xsl:for-each>
    </z:record>
  </xsl:template>
</xsl:stylesheet>
