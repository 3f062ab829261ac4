"""Chooses between a real Maya and the stand-in before any test imports
``maya`` (see standin/rigkit_maya_choice.py)."""
pytest_plugins = ["rigkit_maya_choice"]
