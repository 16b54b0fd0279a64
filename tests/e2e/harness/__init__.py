"""The Wine end-to-end harness: Xvfb, Wine prefixes, the dialog driver and the checks."""
