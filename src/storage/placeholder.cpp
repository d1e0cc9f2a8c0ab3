namespace storage {}
