namespace phonedir {}
