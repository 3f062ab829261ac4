"""Checks of the stand-ins themselves: a new scene and cleared suite records
for every test."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__ import _core


@pytest.fixture(autouse=True)
def new_scene():
    cmds.file(new=True, force=True)
    _core.CORE.resetRecords()
    yield
