"""Stand-in for the Zentrik animation suite's Python package.

Only the parts that ``rigkit0`` imports exist here: the per-interpreter core
modules and the package they share with the compiled module.
"""
