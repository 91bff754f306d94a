"""Names, bands and products from Python agree with the tool on the library's own rows."""

import datetime
import json
from xml.etree import ElementTree

import pytest

import quorutil
from conftest import SOURCE_DIR

NAMING = SOURCE_DIR / "tests" / "data" / "naming"


def supname_rows():
    for line in (NAMING / "supnames.txt").read_text().splitlines():
        if line and not line.startswith("#"):
            attributes, name = line.split(" | ")
            yield name, dict(a.split("=", 1) for a in attributes.split())


def test_parsed_names_give_the_tables_attributes():
    rows = list(supname_rows())
    assert len(rows) > 5
    for name, attributes in rows:
        assert quorutil.parse_support_file_name(name) == attributes, name
    with pytest.raises(ValueError):
        quorutil.parse_support_file_name("not_a_name")


def test_rename_after_a_pattern_file_as_the_tool_does(tool):
    pattern = NAMING / "worked_sup_pattern.xml"
    name = "SN3001_110115_123458_PANF02AL1_012_034_ortho"
    expected = tool("supname", "rename", name, "--pattern-file", pattern).stdout.decode().strip()
    assert quorutil.rename_support_file_name(name, pattern) == expected
    collection = SOURCE_DIR / "resources" / "etc" / "ZeduvidoFileNaming.xml"
    with pytest.raises(ValueError, match="NoSuchPattern") as e:
        quorutil.rename_support_file_name(name, collection, id="NoSuchPattern")
    assert e.value.filename == str(collection)


def test_generated_names_follow_token_and_xml_patterns(tool):
    when = datetime.datetime(2011, 1, 15, 12, 34, 58)
    name = quorutil.generate_name("$PROJECT$_$yyMMdd$_$hhmmss$_$BAND$", project="Alps",
                                  date_time=when, band="RED")
    assert name == "Alps_110115_123458_RED"
    # An XML pattern of the installation's collection, as the tool builds it.
    collection = ElementTree.parse(SOURCE_DIR / "resources" / "etc" / "ZeduvidoFileNaming.xml")
    xml = ElementTree.tostring(collection.find("FilePattern"), encoding="unicode")
    expected = tool("name", "--pattern", xml, "--project", "Alps", "--line-name", "L7",
                    "--serial", 3001, "--line-number", 4, "--band", "PAN",
                    "--date-time", when.isoformat()).stdout.decode().strip()
    assert quorutil.generate_name(xml, project="Alps", line_name="L7", serial_number=3001,
                                  line_number=4, band="PAN", date_time=when) == expected
    with pytest.raises(ValueError, match="not XML"):
        quorutil.generate_name("<FilePattern", project="x")
    with pytest.raises(TypeError):
        quorutil.generate_name("$PROJECT$", colour="red")


def test_band_codes():
    bands = ["REDN00A", "GRNN00A", "BLUN00A"]
    assert quorutil.image_code(bands) == "RGBN00A"
    assert quorutil.split_image_code("RGBN00A") == bands
    assert quorutil.master_band(["REDN00A", "PANN00A"]) == 1
    assert quorutil.nir_channel(["REDN00A", "NIRN00A"]) == 1
    with pytest.raises(ValueError, match="Unknown band letter"):
        quorutil.split_image_code("RXBN00A")
    with pytest.raises(TypeError):
        quorutil.image_code("REDN00A")


def test_products_as_the_tool_lists_them(tool):
    bands = ["NIRN00A", "REDN00A", "GRNN00A", "BLUN00A"]
    config = SOURCE_DIR / "resources" / "etc" / "products.xml"
    listed = json.loads(tool("products", *bands, "--config", config, "--json").stdout)
    assert quorutil.products(bands, config=config) == listed
    assert quorutil.products(bands) == listed  # the installation's configuration
    flagged = json.loads(
        tool("products", *bands, "--config", config, "--selected", "REDN00A,GRNN00A",
             "--json").stdout
    )
    got = quorutil.products(bands, selected=["REDN00A", "GRNN00A"], config=config)
    assert got == {p["name"]: p["selected"] for p in flagged}
